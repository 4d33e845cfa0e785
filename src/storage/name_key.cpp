#include "storage/name_key.h"

namespace {

bool isLatinAccent(char16_t u) { return u >= 0x0300 && u <= 0x036F; }

} // namespace

QString nameKey(const QString &text)
{
    // Compatibility forms first: full-width Latin and digits become ASCII,
    // half-width katakana full-width, a half-width voiced mark joins its
    // letter (ｶﾞ is ガ), an ideographic space a space.
    const QString compatible = text.normalized(QString::NormalizationForm_KC);
    // Taken apart, so that accents can be left off; the kana's voiced marks
    // stay and are joined again below (ガ is not カ).
    const QString apart = compatible.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(apart.size());
    for (const QChar c : apart) {
        char16_t u = c.unicode();
        if (isLatinAccent(u) || c.isSpace())
            continue;
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            u = char16_t(u + 0x60); // hiragana as katakana (ゝゞ as ヽヾ)
        out.append(QChar(u));
    }
    return out.normalized(QString::NormalizationForm_C).toCaseFolded();
}
