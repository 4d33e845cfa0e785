#pragma once
// A name as searching compares it: however the clerk or the booking site
// typed it, one spelling. Hiragana and katakana alike, full- and half-width
// alike (ｶﾞｲﾄﾞ, ＡＢＣ), Latin letters without case or accents (Müller and
// muller), no spaces of any width.

#include <QString>

QString nameKey(const QString &text);
