#include "text_entry.h"

#include "storage/cp932.h"

#include <QStringList>

namespace textentry {

namespace {

bool storable(const QString &c) { return c.at(0).unicode() < 0x80 || cp932::decode(cp932::encode(c)) == c; }

// Letters that no accent mark takes off: they are written out.
QString writtenOut(QChar c)
{
    switch (c.unicode()) {
    case 0x00DF: return QStringLiteral("ss"); // ß
    case 0x00C6: return QStringLiteral("AE");
    case 0x00E6: return QStringLiteral("ae");
    case 0x0152: return QStringLiteral("OE");
    case 0x0153: return QStringLiteral("oe");
    case 0x00D8: return QStringLiteral("O");
    case 0x00F8: return QStringLiteral("o");
    case 0x0141: return QStringLiteral("L");
    case 0x0142: return QStringLiteral("l");
    case 0x0110: return QStringLiteral("D");
    case 0x0111: return QStringLiteral("d");
    case 0x00D0: return QStringLiteral("D");
    case 0x00F0: return QStringLiteral("d");
    case 0x00DE: return QStringLiteral("Th");
    case 0x00FE: return QStringLiteral("th");
    case 0x0131: return QStringLiteral("i");
    default: return {};
    }
}

// A Latin letter with marks on it as its plain letter; empty when it is not one.
QString plainLetter(QChar c)
{
    if (QString w = writtenOut(c); !w.isEmpty())
        return w;
    const QString d = QString(c).normalized(QString::NormalizationForm_D);
    if (d.size() < 2)
        return {};
    const QChar base = d.at(0);
    if (!((base >= QLatin1Char('a') && base <= QLatin1Char('z')) || (base >= QLatin1Char('A') && base <= QLatin1Char('Z'))))
        return {};
    for (qsizetype i = 1; i < d.size(); ++i)
        if (d.at(i).category() != QChar::Mark_NonSpacing)
            return {};
    return QString(base);
}

} // namespace

QString unencodableChars(const QString &text)
{
    QString found;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        const QString c = text.mid(i, units);
        i += units;
        // A character is stored exactly only when it comes back unchanged.
        if (storable(c))
            continue;
        if (!found.contains(c))
            found += c;
    }
    return found;
}

QString refusalMessage(const QString &field, const QString &text)
{
    const QString chars = unencodableChars(text);
    if (chars.isEmpty())
        return {};
    QStringList quoted;
    const qsizetype n = chars.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype units = chars.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        quoted << QStringLiteral("「%1」").arg(chars.mid(i, units));
        i += units;
    }
    return QStringLiteral("%1に保存できない文字があります：%2\nこの文字は使えません。別の文字で入力してください")
        .arg(field, quoted.join(QString()));
}

QString lengthMessage(const QString &field, const QString &text, int maxBytes)
{
    if (cp932::byteLength(text) <= maxBytes)
        return {};
    return QStringLiteral("%1は全角%2文字（半角%3文字）以内で入力してください")
        .arg(field)
        .arg(maxBytes / 2)
        .arg(maxBytes);
}

QString entryError(const QString &field, const QString &text, int maxBytes)
{
    const QString chars = refusalMessage(field, text);
    return chars.isEmpty() ? lengthMessage(field, text, maxBytes) : chars;
}

QString plainLetters(const QString &text)
{
    QString plain;
    bool changed = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        const QString c = text.mid(i, units);
        i += units;
        if (storable(c)) {
            plain += c;
            continue;
        }
        // A mark typed as a character of its own after its letter ("e" + U+0301).
        if (units == 1 && c.at(0).category() == QChar::Mark_NonSpacing && !plain.isEmpty()
            && plain.back().unicode() < 0x80 && plain.back().isLetter()) {
            changed = true;
            continue;
        }
        const QString p = units == 1 ? plainLetter(c.at(0)) : QString();
        if (p.isEmpty())
            return {};
        plain += p;
        changed = true;
    }
    return changed ? plain : QString();
}

QString plainLettersOffer(const QString &plain)
{
    return QStringLiteral("\n\nアクセント記号を外して「%1」と入力できます。").arg(plain);
}

} // namespace textentry
