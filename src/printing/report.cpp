#include "report.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace printing {

ReportItem ReportItem::label(const QString &name, qreal x, qreal y, const FontSpec &font)
{
    ReportItem i;
    i.kind = Label;
    i.name = name;
    i.x = x;
    i.y = y;
    i.font = font;
    return i;
}

ReportItem ReportItem::rightLabel(const QString &name, qreal rightEdge, qreal y, const FontSpec &font)
{
    ReportItem i = label(name, rightEdge, y, font);
    i.rightEdge = true;
    i.align = Qt::AlignRight;
    return i;
}

ReportItem ReportItem::centred(const QString &name, qreal x, qreal width, qreal y, const FontSpec &font)
{
    ReportItem i = label(name, x, y, font);
    i.width = width;
    i.align = Qt::AlignHCenter;
    return i;
}

ReportItem ReportItem::memo(const QString &name, qreal x, qreal y, qreal width, const FontSpec &font)
{
    ReportItem i = label(name, x, y, font);
    i.width = width;
    i.wordWrap = true;
    return i;
}

ReportItem ReportItem::rect(const QString &name, qreal x, qreal y, qreal w, qreal h, std::optional<Pen> pen,
                            std::optional<QColor> fill)
{
    ReportItem i;
    i.kind = Rect;
    i.name = name;
    i.x = x;
    i.y = y;
    i.width = w;
    i.height = h;
    i.pen = pen;
    i.fill = fill;
    return i;
}

ReportItem ReportItem::hline(const QString &name, qreal x, qreal y, qreal w, qreal h, const Pen &pen)
{
    ReportItem i = rect(name, x, y, w, h, pen);
    i.kind = HLine;
    return i;
}

ReportItem ReportItem::vline(const QString &name, qreal x, qreal y, qreal w, qreal h, const Pen &pen)
{
    ReportItem i = rect(name, x, y, w, h, pen);
    i.kind = VLine;
    return i;
}

ReportItem ReportItem::picture(const QString &name, qreal x, qreal y, qreal w, qreal h, const QImage &image)
{
    ReportItem i = rect(name, x, y, w, h, std::nullopt);
    i.kind = Image;
    i.image = image;
    return i;
}

ReportItem ReportItem::pageNumber(const QString &name, qreal x, qreal y, const FontSpec &font,
                                  std::function<QString(int, int)> format, bool rightEdge)
{
    ReportItem i = rightEdge ? rightLabel(name, x, y, font) : label(name, x, y, font);
    i.kind = PageNumber;
    i.pageText = std::move(format);
    return i;
}

ReportItem *Band::item(const QString &name)
{
    for (ReportItem &i : items)
        if (i.name == name)
            return &i;
    return nullptr;
}

ReportItem *Report::item(const QString &name)
{
    for (Band *b : {&title, &pageHeader, &columnHeader, &detail, &pageFooter, &summary})
        if (ReportItem *i = b->item(name))
            return i;
    for (ReportItem &i : pageItems)
        if (i.name == name)
            return &i;
    return nullptr;
}

namespace {

constexpr qreal kEps = 0.001; // mm; band heights are sums of decimals

// A band with its texts asked for, ready to be placed.
struct Prepared {
    const Band *band = nullptr;
    QList<ReportItem> items;
    qreal growth = 0;
    qreal height() const { return band->height + growth; }
};

struct PendingNumber {
    int page;
    ReportItem item;
    qreal x0, y0;
};

// The widest line and the height of a text as drawn, unwrapped or wrapped
// into the width.
QSizeF textSize(const TextMeasure &m, const FontSpec &f, const QString &text, qreal width, bool wrap)
{
    return m.size(f, text, wrap ? width : 0, wrap);
}

// A number as printed: digits with grouping, sign, currency and blanks.
bool isAmount(const QString &text)
{
    QString t = text;
    t.remove(QStringLiteral("JPY"));
    bool digit = false;
    for (const QChar c : t) {
        if (c.isDigit())
            digit = true;
        else if (!QStringLiteral(" ,.-+()\u00A5\\").contains(c))
            return false;
    }
    return digit;
}

} // namespace

// Fits a label into its box, never over its neighbours:
//  1. the type shrinks by half points, down to minPointSize;
//  2. a label allowed more lines wraps onto them, from its own size down to
//     minWrapPointSize, its last line on the baseline it had;
//  3. a label that grows with its band wraps at its own size (the band grows);
//  4. an amount is never cut: it shrinks further, as far as it must;
//  5. otherwise, at the smallest size, the text is cut with an ellipsis: the
//     lines that do not fit are dropped and the last one kept ends in "…".
// A one-line label that shrinks keeps its baseline. cap: the largest size
// to try (a size group's common size).
void fitLabel(const TextMeasure &m, ReportItem &item, qreal cap)
{
    if (item.kind != ReportItem::Label || item.minPointSize <= 0 || item.width <= 0 || item.text.isEmpty())
        return;
    const FontSpec nominal = item.font;
    const qreal W = item.width;
    const qreal H = item.height;
    const bool oneLine = !item.wordWrap && !item.text.contains(QLatin1Char('\n'));
    // The blanks that pad a right-aligned number to its picture may stand
    // outside the box.
    QString measured = item.text;
    if (item.rightEdge && oneLine)
        while (measured.startsWith(QLatin1Char(' ')))
            measured.remove(0, 1);
    auto fits = [&](const FontSpec &f, bool wrap) {
        const QSizeF s = textSize(m, f, measured, W, wrap);
        return s.width() <= W + kEps && (H <= 0 || s.height() <= H + kEps);
    };
    auto keepBaseline = [&](const FontSpec &f) {
        if (oneLine)
            item.y += m.ascent(nominal) - m.ascent(f);
    };

    FontSpec f = nominal;
    f.pointSize = std::min(nominal.pointSize, cap);
    const qreal floor = std::min(item.minPointSize, f.pointSize);
    for (;; f.pointSize -= 0.5) {
        if (fits(f, item.wordWrap)) {
            item.font = f;
            keepBaseline(f);
            return;
        }
        if (f.pointSize - 0.5 < floor - kEps)
            break;
    }
    if (item.maxLines > 1 && oneLine) {
        const qreal wrapFloor = item.minWrapPointSize > 0 ? item.minWrapPointSize : floor;
        for (FontSpec w = f; w.pointSize >= wrapFloor - kEps; w.pointSize -= 0.5) {
            const QStringList lines = m.wrapLines(w, item.text, W);
            if (lines.size() > item.maxLines)
                continue;
            const qreal lh = m.lineHeight(w);
            if (item.wrapHeight > 0) {
                if (lh * lines.size() > item.wrapHeight + kEps)
                    continue;
                item.y = item.wrapTop + (item.wrapHeight - lh * lines.size()) / 2;
            } else {
                item.y += m.ascent(nominal) - (lh * (lines.size() - 1) + m.ascent(w));
            }
            item.text = lines.join(QLatin1Char('\n'));
            item.font = w;
            item.height = lh * lines.size();
            return;
        }
    }
    if (item.grows) {
        item.wordWrap = true;
        return;
    }
    // An amount is never cut: it gets as small as it must.
    if (oneLine && isAmount(item.text)) {
        while (!fits(f, false) && f.pointSize > 2)
            f.pointSize -= 0.5;
        item.font = f;
        keepBaseline(f);
        item.clip = true;
        return;
    }
    // Cut at the smallest size.
    item.font = f;
    keepBaseline(f);
    QStringList lines = item.wordWrap ? m.wrapLines(f, item.text, W) : item.text.split(QLatin1Char('\n'));
    const qreal lh = m.lineHeight(f);
    const int room = H > 0 ? std::max(1, int(std::floor(H / lh + kEps))) : int(lines.size());
    if (lines.size() > room) {
        lines = lines.mid(0, room);
        lines.last() += QStringLiteral("\u2026");
    }
    for (QString &line : lines)
        if (m.width(f, line) > W + kEps)
            line = m.elide(f, line, W);
    item.text = lines.join(QLatin1Char('\n'));
    item.wordWrap = false;
    item.clip = true;
}

namespace {

class Layouter {
public:
    Layouter(const Report &r, const TextMeasure &m) : report(r), measure(m) {}

    PageModel run()
    {
        model.setup = report.page;
        const QSizeF paper = report.page.paperMm();
        left = report.page.leftMm;
        footerTop = paper.height() - report.page.bottomMm - report.pageFooter.height;

        startPage(true);
        if (report.moreRows) {
            while (report.moreRows()) {
                // A row that cannot fit even at its least height starts a new
                // page before its texts are asked for.
                if (rowsOnPage > 0 && y + report.detail.height > footerTop + kEps) {
                    finishPage();
                    startPage(false);
                }
                std::optional<Prepared> row = prepare(report.detail);
                if (!row)
                    continue;
                if (rowsOnPage > 0 && y + row->height() > footerTop + kEps) {
                    if (report.padLastPage && report.blankRows) {
                        report.blankRows(true);
                        fillPage();
                        report.blankRows(false);
                    }
                    finishPage();
                    startPage(false);
                }
                place(*row, left, y);
                y += row->height();
                ++rowsOnPage;
                if (report.detail.afterPrint)
                    report.detail.afterPrint();
            }
        }
        if (report.padLastPage && rowsOnPage > 0) {
            while (y + report.detail.height <= footerTop + kEps) {
                std::optional<Prepared> row = prepare(report.detail);
                if (!row || y + row->height() > footerTop + kEps)
                    break;
                place(*row, left, y);
                y += row->height();
                if (report.detail.afterPrint)
                    report.detail.afterPrint();
            }
        }
        if (!report.summary.isEmpty()) {
            if (std::optional<Prepared> s = prepare(report.summary)) {
                if (y + s->height() > footerTop + kEps) {
                    finishPage();
                    startPage(false);
                }
                place(*s, left, y);
                y += s->height();
                if (report.summary.afterPrint)
                    report.summary.afterPrint();
            }
        }
        finishPage();

        // Page numbers are known once every page is; the page items of each
        // page are fitted together, as a band's are.
        const int count = int(model.pages.size());
        auto resolve = [&](ReportItem &item, int page) {
            if (item.kind == ReportItem::PageNumber) {
                item.kind = ReportItem::Label;
                item.text = item.pageText ? item.pageText(page + 1, count) : QString::number(page + 1);
            } else if (item.kind == ReportItem::Label && item.supply) {
                item.text = item.supply();
            }
        };
        for (const PendingNumber &n : pending) {
            current = n.page;
            ReportItem item = n.item;
            resolve(item, n.page);
            fitLabel(measure, item, item.font.pointSize);
            placeItem(item, n.x0, n.y0, 0);
        }
        for (int p = 0; p < count; ++p) {
            current = p;
            QList<ReportItem> items;
            for (const ReportItem &item : report.pageItems)
                if (item.visible) {
                    items.append(item);
                    resolve(items.last(), p);
                }
            fitGroups(items);
            for (const ReportItem &item : items)
                placeItem(item, 0, 0, 0);
        }
        return model;
    }

private:
    // Empty detail rows down to the footer.
    void fillPage()
    {
        while (y + report.detail.height <= footerTop + kEps) {
            std::optional<Prepared> row = prepare(report.detail);
            if (!row || y + row->height() > footerTop + kEps)
                break;
            place(*row, left, y);
            y += row->height();
        }
    }

    void startPage(bool first)
    {
        model.pages.append(Page{});
        current = int(model.pages.size()) - 1;
        y = report.page.topMm;
        rowsOnPage = 0;
        printBand(report.pageHeader);
        if (first)
            printBand(report.title);
        printBand(report.columnHeader);
    }

    void finishPage()
    {
        if (report.pageFooter.isEmpty())
            return;
        if (std::optional<Prepared> f = prepare(report.pageFooter)) {
            place(*f, left, footerTop);
            if (report.pageFooter.afterPrint)
                report.pageFooter.afterPrint();
        }
    }

    void printBand(const Band &band)
    {
        if (band.isEmpty())
            return;
        if (std::optional<Prepared> p = prepare(band)) {
            place(*p, left, y);
            y += p->height();
            if (band.afterPrint)
                band.afterPrint();
        }
    }

    std::optional<Prepared> prepare(const Band &band)
    {
        if (band.beforePrint && !band.beforePrint())
            return std::nullopt;
        Prepared p;
        p.band = &band;
        for (const ReportItem &source : band.items) {
            if (!source.visible)
                continue;
            ReportItem item = source;
            if (item.kind == ReportItem::Label && item.supply)
                item.text = item.supply();
            p.items.append(item);
        }
        fitGroups(p.items);
        for (const ReportItem &item : p.items) {
            if (item.kind == ReportItem::Label && item.grows && item.width > 0) {
                const qreal need = measure.size(item.font, item.text, item.width, item.wordWrap).height();
                const qreal have = item.height > 0 ? item.height : measure.lineHeight(item.font);
                p.growth = std::max(p.growth, need - have);
            }
        }
        if (band.growInSteps && p.growth > kEps && band.height > 0)
            p.growth = std::ceil(p.growth / band.height - kEps) * band.height;
        return p;
    }

    // Fits every label of a band into its box, then gives the labels of one
    // size group the smallest size any of them needed.
    void fitGroups(QList<ReportItem> &items) const
    {
        const QList<ReportItem> original = items;
        QHash<QString, qreal> groupSize;
        for (ReportItem &item : items) {
            fitLabel(measure, item, item.font.pointSize);
            if (!item.sizeGroup.isEmpty() && !item.text.isEmpty()) {
                auto it = groupSize.find(item.sizeGroup);
                if (it == groupSize.end())
                    groupSize.insert(item.sizeGroup, item.font.pointSize);
                else
                    *it = std::min(*it, item.font.pointSize);
            }
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            const auto it = groupSize.constFind(items[i].sizeGroup);
            if (it == groupSize.constEnd() || items[i].font.pointSize <= *it + kEps)
                continue;
            items[i] = original[i];
            fitLabel(measure, items[i], *it);
        }
    }

    void place(const Prepared &p, qreal x0, qreal y0)
    {
        for (const ReportItem &item : p.items) {
            if (item.kind == ReportItem::PageNumber)
                pending.append({current, item, x0, y0});
            else
                placeItem(item, x0, y0, p.growth);
        }
    }

    void placeItem(const ReportItem &item, qreal x0, qreal y0, qreal growth)
    {
        Page &page = model.pages[current];
        const qreal h = item.height + (item.stretch ? growth : 0);
        switch (item.kind) {
        case ReportItem::Label:
        case ReportItem::PageNumber: {
            TextItem t;
            t.name = item.name;
            t.text = item.text;
            t.font = item.font;
            t.wrap = item.wordWrap;
            t.clip = item.clip;
            t.color = item.color;
            qreal w = item.width;
            qreal th = item.height;
            if (w <= 0 || th <= 0) {
                const QSizeF s = measure.size(t.font, item.text, w, item.wordWrap && w > 0);
                if (w <= 0)
                    w = s.width();
                if (th <= 0)
                    th = item.grows || item.wordWrap ? s.height() : std::max(s.height(), measure.lineHeight(t.font));
            }
            const qreal x = item.rightEdge ? item.x - w : item.x;
            t.rect = QRectF(x0 + x, y0 + item.y, w, th);
            Qt::Alignment h_align = item.align & Qt::AlignHorizontal_Mask;
            if (item.width <= 0)
                h_align = item.rightEdge ? Qt::AlignRight : Qt::AlignLeft;
            t.align = h_align | Qt::AlignTop;
            page.items.append(t);
            break;
        }
        case ReportItem::Rect:
            page.items.append(RectItem{item.name, QRectF(x0 + item.x, y0 + item.y, item.width, h), item.pen,
                                       item.fill, item.penInside, item.edges});
            break;
        case ReportItem::HLine: {
            const qreal ly = y0 + item.y + h / 2;
            page.items.append(LineItem{item.name, QPointF(x0 + item.x, ly), QPointF(x0 + item.x + item.width, ly),
                                       item.pen.value_or(Pen{})});
            break;
        }
        case ReportItem::VLine: {
            const qreal lx = x0 + item.x + item.width / 2;
            page.items.append(LineItem{item.name, QPointF(lx, y0 + item.y), QPointF(lx, y0 + item.y + h),
                                       item.pen.value_or(Pen{})});
            break;
        }
        case ReportItem::Image: {
            if (item.image.isNull())
                break;
            // Own size at imageDpi; what lies beyond the box is cut off. A
            // fitted image is cut at the box's width only, and made smaller,
            // in proportion, when it is taller than the box.
            const qreal mmPerPx = 25.4 / item.imageDpi;
            const int maxW = int(std::floor(item.width / mmPerPx + kEps));
            const int maxH = item.fitImage ? item.image.height() : int(std::floor(item.height / mmPerPx + kEps));
            QImage img = item.image;
            if (img.width() > maxW || img.height() > maxH)
                img = img.copy(0, 0, std::min(img.width(), maxW), std::min(img.height(), maxH));
            const qreal scale = item.fitImage ? std::min<qreal>(1.0, item.height / (img.height() * mmPerPx)) : 1.0;
            if (img.isNull() || scale <= 0)
                break;
            page.items.append(ImageItem{item.name,
                                        QRectF(x0 + item.x, y0 + item.y, img.width() * mmPerPx * scale,
                                               img.height() * mmPerPx * scale),
                                        img});
            break;
        }
        }
    }

    const Report &report;
    const TextMeasure &measure;
    PageModel model;
    QList<PendingNumber> pending;
    int current = 0;
    int rowsOnPage = 0;
    qreal y = 0;
    qreal left = 0;
    qreal footerTop = 0;
};

} // namespace

PageModel Report::layout(const TextMeasure &measure) const
{
    return Layouter(*this, measure).run();
}

} // namespace printing
