#pragma once
// The display form of a grid cell under its column's mask: numeric text
// through a number picture, any other text laid into an edit mask.

#include <QString>

// Number picture: "0" a digit always shown, "#" a digit shown when
// significant, "," thousands grouping anywhere before the point, "." the
// decimal point, text in quotes and any other character printed as it is;
// up to three sections "positive;negative;zero". Digits beyond the picture's
// integer positions all show at the first one. 20070809 with "0000/00/00"
// gives 2007/08/09, 1234567 with "###,###,###" gives 1,234,567.
QString FormatNumberPicture(double value, const QString &picture);

// Edit mask: "0 9 # L l A a C c" are input positions, "\" makes the next
// character literal, "< > !" are ignored, anything else is a literal that is
// inserted; the text's characters fill the input positions in order, a
// double-byte (CP932) character taking two. An optional section ";x;c"
// names a blank character c for unfilled positions; without it the result
// ends with the text.
QString FormatMaskText(const QString &mask, const QString &text);

// The display form: numeric text (only digits, "+", "-", ".") that reads as a
// number goes through the picture; any other text through the edit mask.
QString GetDisplayText(const QString &text, const QString &mask);
