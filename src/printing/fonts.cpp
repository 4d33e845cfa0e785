#include "fonts.h"


#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>

#include <array>
#include <functional>
#include <vector>
#include <utility>

namespace printing {

namespace {
const std::array<std::pair<QString, QString>, 4> kFaceMap{{
    {kPGothic, QStringLiteral("IPAPGothic")},
    {kGothic, QStringLiteral("IPAGothic")},
    {kMincho, QStringLiteral("IPAMincho")},
    {kPMincho, QStringLiteral("IPAPMincho")},
}};

bool installed(const QString &family)
{
    static const QStringList families = QFontDatabase::families();
    return families.contains(family, Qt::CaseInsensitive);
}
} // namespace

void installFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    for (const auto &[windowsFace, ipaFace] : kFaceMap)
        QFont::insertSubstitution(windowsFace, ipaFace);
}

QString defaultJapaneseFace()
{
    return QStringLiteral("IPAPGothic");
}

QString resolveFace(const QString &name)
{
    installFontSubstitutions();
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return defaultJapaneseFace();
    if (installed(trimmed))
        return trimmed;
    for (const auto &[windowsFace, ipaFace] : kFaceMap)
        if (trimmed == windowsFace)
            return ipaFace;
    return defaultJapaneseFace();
}

FontSpec font(const QString &faceName, qreal pointSize, bool bold)
{
    return FontSpec{resolveFace(faceName), pointSize, bold};
}

QFont qfont(const FontSpec &spec)
{
    QFont f(spec.family);
    f.setPointSizeF(spec.pointSize);
    f.setBold(spec.bold);
    // Outline metrics, unhinted: widths scale exactly between the measuring
    // device and the printer.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

namespace {
QPaintDevice *measuringPrinter()
{
    // Kept for the whole run: creating a printer asks the print system.
    static QPrinter *printer = [] {
        auto *p = new QPrinter(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setFullPage(true);
        return p;
    }();
    return printer;
}
} // namespace

TextMeasure::TextMeasure(QPaintDevice *device) : dev(device ? device : measuringPrinter())
{
    mmPerPxX = 25.4 / dev->logicalDpiX();
    mmPerPxY = 25.4 / dev->logicalDpiY();
}

qreal TextMeasure::width(const FontSpec &font, const QString &text) const
{
    return QFontMetricsF(qfont(font), dev).horizontalAdvance(text) * mmPerPxX;
}

qreal TextMeasure::lineHeight(const FontSpec &font) const
{
    return QFontMetricsF(qfont(font), dev).height() * mmPerPxY;
}

QSizeF TextMeasure::size(const FontSpec &font, const QString &text, qreal widthMm, bool wrap) const
{
    const QFontMetricsF fm(qfont(font), dev);
    if (text.isEmpty())
        return QSizeF(0, fm.height() * mmPerPxY);
    const qreal w = widthMm > 0 ? widthMm / mmPerPxX : 1e7;
    // Wrapped as wrapLines breaks it, which is how it is drawn.
    const QString shown = wrap && widthMm > 0 ? wrapLines(font, text, widthMm).join(QLatin1Char('\n')) : text;
    const QRectF r = fm.boundingRect(QRectF(0, 0, w, 1e7), Qt::AlignLeft | Qt::AlignTop, shown);
    return QSizeF(r.width() * mmPerPxX, r.height() * mmPerPxY);
}

qreal TextMeasure::ascent(const FontSpec &font) const
{
    return QFontMetricsF(qfont(font), dev).ascent() * mmPerPxY;
}

QString TextMeasure::elide(const FontSpec &font, const QString &text, qreal widthMm) const
{
    return QFontMetricsF(qfont(font), dev).elidedText(text, Qt::ElideRight, widthMm / mmPerPxX);
}

namespace {

bool isOpening(QChar c)
{
    return QStringView(u"([{（「『【〔［｛〈《").contains(c);
}

bool isClosing(QChar c)
{
    return QStringView(u")]}）」』】〕］｝〉》").contains(c);
}

bool isJapanese(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF)
           || (u >= 0xFF00 && u <= 0xFFEF);
}

// Characters a line never starts with: closing marks, punctuation, small
// kana and the prolonged sound mark.
bool noLineStart(QChar c)
{
    return isClosing(c) || QStringView(u"、。，．・：；？！ー々ゝゞぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ,.:;?!%").contains(c);
}

bool isHiragana(QChar c)
{
    return c.unicode() >= 0x3041 && c.unicode() <= 0x309F;
}

enum Break { NoBreak = 0, WordBreak = 1, InnerBreak = 2, CharBreak = 3 };

// Between two phrases of Japanese written without blanks: after the kana
// that end a phrase (a particle, or two kana or more after a kanji) before a
// kanji or katakana, and before the honorific ご or お that starts the next
// one (「ご宿泊代金及び」「ご飲食代として」). Not inside 「盛り合わせ」.
bool phraseStart(const QString &t, qsizetype i)
{
    const QChar a = t[i - 1], b = t[i];
    const bool honorific = (b == u'ご' || b == u'お') && i + 1 < t.size() && !isHiragana(t[i + 1])
                           && isJapanese(t[i + 1]);
    if (isHiragana(a) && honorific)
        return true;
    if (!isHiragana(a) || isHiragana(b) || !isJapanese(b) || noLineStart(b))
        return false;
    if (a == u'ご' || a == u'お')
        return false; // the honorific belongs to what follows
    qsizetype run = 0;
    for (qsizetype k = i - 1; k >= 0 && isHiragana(t[k]); --k)
        ++run;
    return run >= 2 || QStringView(u"のをにはがとでへもや").contains(a);
}

// Where a line may start in a paragraph, for each position: between words
// (after a blank or a hyphen between letters, before an opening bracket,
// after a closing one or a Japanese comma); only for a word too long for a
// line, inside it: first between words within its brackets or between
// Japanese phrases, then between any two Japanese characters.
// "(4名泊×400円)" and "×2泊)" are words of their own.
std::vector<Break> breaks(const QString &t)
{
    std::vector<Break> out(std::size_t(t.size()), NoBreak);
    int depth = 0;
    for (qsizetype i = 1; i < t.size(); ++i) {
        const QChar a = t[i - 1], b = t[i];
        if (isOpening(a))
            ++depth;
        else if (isClosing(a) && depth > 0)
            --depth;
        if (b.isSpace())
            continue;
        bool word = false;
        if (a.isSpace())
            word = true;
        else if (noLineStart(b) || isOpening(a))
            word = false;
        else if (isOpening(b) || (isClosing(a) && !QStringView(u"=＝").contains(b)) || QStringView(u"、。，").contains(a))
            word = true;
        else if (a == QLatin1Char('-') && i >= 2 && t[i - 2].isLetter() && b.isLetter())
            word = true;
        if (word)
            out[std::size_t(i)] = depth == 0 ? WordBreak : InnerBreak;
        else if (phraseStart(t, i))
            out[std::size_t(i)] = InnerBreak;
        else if (isJapanese(a) && isJapanese(b) && !noLineStart(b) && !isOpening(a))
            out[std::size_t(i)] = CharBreak;
    }
    return out;
}

QString trimmedEnd(QString s)
{
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    return s;
}

// Pieces of a text cut before each position where level allows a break.
QStringList cut(const QString &t, const std::vector<Break> &at, qsizetype from, qsizetype to, Break level)
{
    QStringList out;
    qsizetype start = from;
    for (qsizetype i = from + 1; i < to; ++i)
        if (at[std::size_t(i)] != NoBreak && at[std::size_t(i)] <= level) {
            out << t.mid(start, i - start);
            start = i;
        }
    out << t.mid(start, to - start);
    return out;
}

} // namespace

QStringList TextMeasure::wrapLines(const FontSpec &font, const QString &text, qreal widthMm) const
{
    QStringList out;
    auto fits = [&](const QString &s) { return width(font, trimmedEnd(s)) <= widthMm + 1e-6; };
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        const std::vector<Break> at = breaks(paragraph);
        QString line;
        // Adds a piece to the line, or starts a new line with it when the
        // line is full; a piece longer than a line is cut finer first.
        std::function<void(const QString &, qsizetype, Break)> add = [&](const QString &piece, qsizetype from,
                                                                          Break level) {
            if (fits(line + piece)) {
                line += piece;
                return;
            }
            if (!line.isEmpty() && fits(piece)) {
                out << trimmedEnd(line);
                line = piece;
                return;
            }
            if (level < CharBreak) {
                const Break finer = Break(level + 1);
                qsizetype pos = from;
                for (const QString &inner : cut(paragraph, at, from, from + piece.size(), finer)) {
                    add(inner, pos, finer);
                    pos += inner.size();
                }
                return;
            }
            // No break left inside: by characters.
            for (const QChar c : piece) {
                if (!line.isEmpty() && !c.isSpace() && !fits(line + c)) {
                    out << trimmedEnd(line);
                    line.clear();
                }
                line += c;
            }
        };
        qsizetype pos = 0;
        for (const QString &word : cut(paragraph, at, 0, paragraph.size(), WordBreak)) {
            add(word, pos, WordBreak);
            pos += word.size();
        }
        out << trimmedEnd(line);
    }
    return out;
}

} // namespace printing
