#include "fonts.h"

#include <QTextLayout>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>

#include <array>
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
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (wrap)
        flags |= Qt::TextWordWrap;
    const QRectF r = fm.boundingRect(QRectF(0, 0, w, 1e7), flags, text);
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

QStringList TextMeasure::wrapLines(const FontSpec &font, const QString &text, qreal widthMm) const
{
    QStringList out;
    const qreal w = widthMm / mmPerPxX;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, qfont(font), dev);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        bool any = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(w);
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && piece.back().isSpace())
                piece.chop(1);
            out << piece;
            any = true;
        }
        layout.endLayout();
        if (!any)
            out << QString();
    }
    return out;
}

} // namespace printing
