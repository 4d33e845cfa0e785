#pragma once
// The facility logo, logo.bmp in the program directory, which every printed
// document shows: made from a picture the user chooses, or removed.

#include <QString>

// Reads source as a JPEG (extension .jpg or .jpeg, in any case) or else as a
// bitmap, and stores it as a bitmap at logoPath, replacing the old logo in
// one step. Returns the message to show when the picture cannot be read or
// the logo cannot be written; logoPath is then left as it was.
QString storeLogo(const QString &source, const QString &logoPath);
// Removes the logo; the message to show when it cannot be removed.
QString removeLogo(const QString &logoPath);
