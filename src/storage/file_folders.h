#pragma once
// Where the program's file dialogs start: the folder of the file last chosen
// in a dialog of the same kind, kept in the settings file ([Folders]) so that
// the next start begins there too.

#include <QString>

namespace filefolders {

// The settings file the folders are kept in; set once at start. Without one
// (tools, tests without a program directory) nothing is remembered.
void setSettingsFile(const QString &iniPath);

// The folder a dialog of kind ("PDF", "CSV", "Logo") starts in: the one last
// used, while it still exists; otherwise fallback.
QString startFolder(const QString &kind, const QString &fallback);

// Where a dialog starts until one is chosen: the clerk's Documents folder
// (the home folder when there is none), never the hidden data folder.
QString documentsFolder();

// Remembers the folder of filePath for kind. A settings file that cannot be
// written is not reported: the folder is a convenience, not data.
void remember(const QString &kind, const QString &filePath);

// The message after a file was written, naming what it is and where it went:
// "PDFファイルを保存しました。" and the full path on a line of its own.
QString savedFileMessage(const QString &what, const QString &filePath);

} // namespace filefolders
