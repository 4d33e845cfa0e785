#include "renderer.h"

#include "fonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <variant>

namespace printing {

namespace {

// Millimetres to device units of one painter.
class Units {
public:
    explicit Units(const QPaintDevice *device)
        : sx(device->logicalDpiX() / 25.4), sy(device->logicalDpiY() / 25.4)
    {
    }
    QPointF point(const QPointF &mm) const { return QPointF(mm.x() * sx, mm.y() * sy); }
    QRectF rect(const QRectF &mm) const { return QRectF(point(mm.topLeft()), QSizeF(mm.width() * sx, mm.height() * sy)); }
    qreal length(qreal mm) const { return mm * (sx + sy) / 2; }

private:
    qreal sx, sy;
};

QPen devicePen(const Pen &pen, const Units &u)
{
    const qreal w = std::max<qreal>(u.length(pen.widthMm), 1.0);
    QPen p(pen.color, w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (pen.style != PenStyle::Solid) {
        // Dash lengths in millimetres, whatever the pen width.
        const qreal on = pen.style == PenStyle::Dot ? 0.3 : 1.5;
        const qreal off = pen.style == PenStyle::Dot ? 0.4 : 0.8;
        p.setDashPattern({u.length(on) / w, u.length(off) / w});
    }
    return p;
}

void paintItem(QPainter &p, const Units &u, const TextItem &t)
{
    if (t.text.isEmpty())
        return;
    p.save();
    p.setFont(qfont(t.font));
    p.setPen(t.color);
    const QRectF r = u.rect(t.rect);
    int flags = int(t.align);
    if (t.clip)
        p.setClipRect(r);
    else
        flags |= Qt::TextDontClip;
    // Wrapped between words as the layout measured it, not where the
    // painter would break.
    static const TextMeasure measure;
    p.drawText(r, flags, t.wrap ? measure.wrapLines(t.font, t.text, t.rect.width()).join(QLatin1Char('\n')) : t.text);
    p.restore();
}

void paintFill(QPainter &p, const Units &u, const RectItem &r)
{
    if (r.fill)
        p.fillRect(u.rect(r.rect), *r.fill);
}

void paintItem(QPainter &p, const Units &u, const RectItem &r)
{
    if (!r.pen || !r.edges)
        return;
    const QPen pen = devicePen(*r.pen, u);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal half = pen.widthF() / 2;
    const QRectF box = r.penInside ? u.rect(r.rect).adjusted(half, half, -half, -half) : u.rect(r.rect);
    const Qt::Edges all = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;
    if (r.edges == all) {
        p.drawRect(box);
    } else {
        if (r.edges & Qt::TopEdge)
            p.drawLine(box.topLeft(), box.topRight());
        if (r.edges & Qt::BottomEdge)
            p.drawLine(box.bottomLeft(), box.bottomRight());
        if (r.edges & Qt::LeftEdge)
            p.drawLine(box.topLeft(), box.bottomLeft());
        if (r.edges & Qt::RightEdge)
            p.drawLine(box.topRight(), box.bottomRight());
    }
    p.restore();
}

void paintItem(QPainter &p, const Units &u, const LineItem &l)
{
    p.save();
    p.setPen(devicePen(l.pen, u));
    p.drawLine(u.point(l.from), u.point(l.to));
    p.restore();
}

void paintItem(QPainter &p, const Units &u, const ImageItem &i)
{
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(u.rect(i.rect), i.image);
    p.restore();
}

} // namespace

void paintPage(QPainter &painter, const PageModel &model, int page)
{
    if (page < 0 || page >= model.pages.size())
        return;
    const Units units(painter.device());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QList<PageItem> &items = model.pages[page].items;
    for (const PageItem &item : items)
        if (const RectItem *r = std::get_if<RectItem>(&item))
            paintFill(painter, units, *r);
    for (const PageItem &item : items)
        std::visit([&](const auto &i) { paintItem(painter, units, i); }, item);
}

void setUpPrinter(QPrinter &printer, const PageModel &model)
{
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(model.setup.size));
    printer.setPageOrientation(model.setup.orientation);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString paintDocument(QPrinter &printer, const PageModel &model, int copies)
{
    const QString failed = QStringLiteral("印刷できませんでした。\nプリンターの状態を確認してください。");
    copies = std::max(copies, 1);
    printer.setCopyCount(copies);
    int runs = 1;
    if (!printer.supportsMultipleCopies()) {
        printer.setCopyCount(1);
        runs = copies;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return failed;
    bool first = true;
    for (int run = 0; run < runs; ++run) {
        for (int page = 0; page < model.pages.size(); ++page) {
            if (!first && !printer.newPage()) {
                painter.end();
                return failed;
            }
            first = false;
            paintPage(painter, model, page);
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return failed;
    return QString();
}

QString saveDocumentPdf(const QString &path, const PageModel &model)
{
    const QString failed = QStringLiteral("PDFファイル %1 を保存できませんでした。").arg(QDir::toNativeSeparators(path));
    const QFileInfo target(path);
    // A temporary file beside the target, renamed over it once complete.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.%1.XXXXXX").arg(target.fileName()));
    if (!temp.open())
        return failed;
    temp.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp.fileName());
    setUpPrinter(printer, model);
    if (!paintDocument(printer, model).isEmpty())
        return failed;
    QFile written(temp.fileName());
    if (!written.open(QIODevice::ReadWrite) || written.size() == 0 || ::fsync(written.handle()) != 0)
        return failed;
    written.close();
    written.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return failed;
    temp.setAutoRemove(false);
    return QString();
}

bool printerAvailable()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

} // namespace printing
