#include "controls/display_format.h"

#include "storage/cp932.h"

#include <QStringList>
#include <cmath>

namespace {

// Splits at ";" outside quotes.
QStringList splitSections(const QString &mask)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            out.append(cur);
            cur.clear();
            continue;
        }
        cur.append(c);
    }
    out.append(cur);
    return out;
}

bool isPlaceholder(QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('#'); }

} // namespace

QString FormatNumberPicture(double value, const QString &picture)
{
    const QStringList sections = splitSections(picture);
    QString section = sections.value(0);
    bool negative = value < 0;
    if (negative && sections.size() >= 2 && !sections[1].isEmpty()) {
        section = sections[1];
        negative = false;
    }
    value = std::fabs(value);

    // Shape of the picture.
    int intPlaces = 0, minInt = 0, decPlaces = 0, minDec = 0;
    bool thousands = false, seenDot = false, seenZero = false;
    {
        QChar quote;
        for (QChar c : section) {
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
                continue;
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('.') && !seenDot) {
                seenDot = true;
            } else if (c == QLatin1Char(',') && !seenDot) {
                thousands = true;
            } else if (isPlaceholder(c)) {
                if (!seenDot) {
                    ++intPlaces;
                    if (c == QLatin1Char('0'))
                        seenZero = true;
                    if (seenZero)
                        ++minInt;
                } else {
                    ++decPlaces;
                    if (c == QLatin1Char('0'))
                        minDec = decPlaces;
                }
            }
        }
    }

    const QString fixed = QString::number(value, 'f', decPlaces);
    QString intDigits = fixed.section(QLatin1Char('.'), 0, 0);
    QString decDigits = fixed.section(QLatin1Char('.'), 1, 1);
    while (decDigits.size() > minDec && decDigits.endsWith(QLatin1Char('0')))
        decDigits.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(QLatin1Char('0'));
    if (negative && intDigits.isEmpty() && decDigits.isEmpty())
        negative = false; // no "-" in front of nothing

    if (sections.size() >= 3 && value == 0 && !sections[2].isEmpty())
        return FormatNumberPicture(0, sections[2] + QLatin1String(";;"));

    QString out;
    const int d = intDigits.size();
    int place = 0;     // integer placeholders met so far
    int decIndex = 0;  // decimal placeholders met so far
    bool inDecimals = false;
    bool signDone = false;
    auto emitSign = [&] {
        if (!signDone && negative)
            out.append(QLatin1Char('-'));
        signDone = true;
    };
    auto emitDigit = [&](int j) {
        out.append(intDigits.at(j));
        if (thousands && j < d - 1 && (d - 1 - j) % 3 == 0)
            out.append(QLatin1Char(','));
    };
    QChar quote;
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (!inDecimals && c == QLatin1Char(',')) {
            continue;
        } else if (!inDecimals && c == QLatin1Char('.')) {
            emitSign();
            if (intPlaces == 0)
                for (int j = 0; j < d; ++j)
                    emitDigit(j);
            inDecimals = true;
            if (!decDigits.isEmpty())
                out.append(QLatin1Char('.'));
        } else if (isPlaceholder(c)) {
            if (!inDecimals) {
                emitSign();
                // Placeholder `place` shows digit d - intPlaces + place; the
                // first one also shows every digit the picture has no room for.
                const int j = d - intPlaces + place;
                if (place == 0)
                    for (int k = 0; k < j; ++k)
                        emitDigit(k);
                if (j >= 0)
                    emitDigit(j);
                ++place;
            } else {
                if (decIndex < decDigits.size())
                    out.append(decDigits.at(decIndex));
                ++decIndex;
            }
        } else {
            out.append(c);
        }
    }
    if (!signDone && negative)
        out.prepend(QLatin1Char('-'));
    return out;
}

QString FormatMaskText(const QString &mask, const QString &text)
{
    const QStringList sections = splitSections(mask);
    const QString body = sections.value(0);
    const bool hasBlank = sections.size() >= 3 && !sections[2].isEmpty();
    const QChar blank = hasBlank ? sections[2].at(0) : QChar();

    // Input positions and literals, in order.
    struct Item {
        bool input;
        QChar literal;
    };
    QList<Item> items;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            items.append({false, body.at(++i)});
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')) {
            continue;
        } else if (QStringLiteral("09#LlAaCc").contains(c)) {
            items.append({true, QChar()});
        } else {
            items.append({false, c});
        }
    }

    QString out;
    QString pending; // literals waiting for the next filled position
    qsizetype next = 0; // next character of the text
    bool unfilled = false;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!items[i].input) {
            pending.append(items[i].literal);
            continue;
        }
        if (next < text.size()) {
            const QChar c = text.at(next);
            const qsizetype bytes = cp932::byteLength(QString(c));
            if (bytes > 1) {
                // A double-byte character needs this position and the next one.
                qsizetype j = i + 1;
                while (j < items.size() && !items[j].input)
                    ++j;
                if (j >= items.size()) {
                    unfilled = true;
                    break;
                }
                out += pending + c;
                pending.clear();
                i = j;
            } else {
                out += pending + c;
                pending.clear();
            }
            ++next;
        } else if (hasBlank) {
            out += pending + blank;
            pending.clear();
        } else {
            unfilled = true;
            break;
        }
    }
    if (!unfilled)
        out += pending;
    return out;
}

QString GetDisplayText(const QString &text, const QString &mask)
{
    bool numeric = !text.isEmpty();
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('+') && c != QLatin1Char('-')
            && c != QLatin1Char('.')) {
            numeric = false;
            break;
        }
    if (numeric) {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (ok)
            return FormatNumberPicture(v, mask);
    }
    return FormatMaskText(mask, text);
}
