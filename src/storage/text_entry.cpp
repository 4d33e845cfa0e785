#include "text_entry.h"

#include "storage/cp932.h"

#include <QStringList>

namespace textentry {

QString unencodableChars(const QString &text)
{
    QString found;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < n ? 2 : 1;
        const QString c = text.mid(i, units);
        i += units;
        // A character is stored exactly only when it comes back unchanged.
        if (c.at(0).unicode() < 0x80 || cp932::decode(cp932::encode(c)) == c)
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

} // namespace textentry
