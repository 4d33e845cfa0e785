#pragma once
// The banded report: bands of items laid out page by page into a PageModel.
//
//   +-------------------------------+  <- top margin
//   | page header      (every page) |
//   | title            (first page) |
//   | column header    (every page) |
//   | detail  (one per row asked    |
//   | detail   for by moreRows)     |
//   | ...                           |
//   | summary          (after rows) |
//   |                               |
//   | page footer (foot of page)    |
//   +-------------------------------+  <- bottom margin
//
// Band items are placed from the band's top-left corner, which lies on the
// left margin; page items are placed from the paper's corner. Lengths are in
// millimetres.

#include "fonts.h"
#include "page_model.h"

#include <QImage>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace printing {

struct ReportItem {
    enum Kind { Label, Rect, HLine, VLine, Image, PageNumber };

    Kind kind = Label;
    QString name;
    qreal x = 0;           // left edge, or the right edge when rightEdge is set
    qreal y = 0;
    qreal width = 0;       // 0: a label takes the width of its text
    qreal height = 0;      // 0: a label takes the height of its text
    bool rightEdge = false;
    bool visible = true;

    // Labels (also multi-line memos: line breaks in the text are kept).
    QString text;
    std::function<QString()> supply;             // text asked for when the band prints
    std::function<QString(int, int)> pageText;   // page number item: (page, count) -> text
    FontSpec font;
    Qt::Alignment align = Qt::AlignLeft;         // inside a fixed width
    bool wordWrap = false;
    bool grows = false;    // a wrapped label makes its band taller when it needs to
    bool clip = false;     // a fixed box that cuts what does not fit
    // Fitting a label of fixed width (and, when height is set, fixed height)
    // into its box; see fitLabel in report.cpp:
    qreal minPointSize = 0; // > 0: the type shrinks down to this size to fit;
                            // what still does not fit is cut with an ellipsis
    int maxLines = 1;       // > 1: a one-line label may then wrap onto this many
                            // lines, its last line on the baseline of the one
    qreal minWrapPointSize = 0; // smallest size of the wrapped lines
    qreal wrapHeight = 0;   // > 0: the wrapped lines must fit this height and
    qreal wrapTop = 0;      // are centred in it from wrapTop, not on the baseline
    QString sizeGroup;      // labels of one group in a band share the smallest size
    QColor color = Qt::black;

    // Shapes: a rectangle, or a rule through the middle of the box.
    std::optional<Pen> pen;
    std::optional<QColor> fill;
    bool penInside = false;
    Qt::Edges edges = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge; // sides framed
    bool stretch = false;  // a frame grows with its band

    // Images: drawn at their own size from the top-left corner, cut at the box.
    QImage image;
    qreal imageDpi = 96;
    bool fitImage = false; // cut at the box's width, then made smaller to its height

    static ReportItem label(const QString &name, qreal x, qreal y, const FontSpec &font);
    static ReportItem rightLabel(const QString &name, qreal rightEdge, qreal y, const FontSpec &font);
    static ReportItem centred(const QString &name, qreal x, qreal width, qreal y, const FontSpec &font);
    static ReportItem memo(const QString &name, qreal x, qreal y, qreal width, const FontSpec &font);
    static ReportItem rect(const QString &name, qreal x, qreal y, qreal w, qreal h, std::optional<Pen> pen,
                           std::optional<QColor> fill = std::nullopt);
    static ReportItem hline(const QString &name, qreal x, qreal y, qreal w, qreal h, const Pen &pen);
    static ReportItem vline(const QString &name, qreal x, qreal y, qreal w, qreal h, const Pen &pen);
    static ReportItem picture(const QString &name, qreal x, qreal y, qreal w, qreal h, const QImage &image);
    static ReportItem pageNumber(const QString &name, qreal x, qreal y, const FontSpec &font,
                                 std::function<QString(int, int)> format, bool rightEdge = false);
};

struct Band {
    qreal height = 0;
    QList<ReportItem> items;
    // Asked when the band is about to print; false skips it this time.
    std::function<bool()> beforePrint;
    // Told after the band has printed.
    std::function<void()> afterPrint;
    // A band that grows grows by whole band heights, so that a ruled grid
    // keeps its rows.
    bool growInSteps = false;

    bool isEmpty() const { return items.isEmpty() && height <= 0; }
    ReportItem *item(const QString &name);
    ReportItem &add(const ReportItem &item)
    {
        items.append(item);
        return items.last();
    }
};

// Fits a label into its box (see ReportItem::minPointSize); the layout calls
// it for every label as its band prints.
void fitLabel(const TextMeasure &measure, ReportItem &item, qreal largestPointSize);

class Report {
public:
    PageSetup page;
    Band title, pageHeader, columnHeader, detail, pageFooter, summary;
    QList<ReportItem> pageItems;
    // Asked before every detail row: is there another row? Unset: no rows.
    std::function<bool()> moreRows;
    // Once the rows run out, the detail band repeats (its texts then find
    // nothing to print) until the last page is full, as ruled forms do. A
    // report without any row gets no empty rows.
    bool padLastPage = false;
    // With padLastPage: a row too tall for the rest of a page goes to the
    // next one, and the rest is filled with empty rows, so that the ruled
    // rows still reach the footer. The report is told (true) before those
    // rows ask for their texts, which should then be empty, and (false)
    // after; they are not counted as rows (afterPrint is not called).
    std::function<void(bool)> blankRows;

    // Lays the report out. Callbacks run in print order, once each.
    PageModel layout(const TextMeasure &measure = TextMeasure()) const;

    // Finds an item by name in any band or among the page items.
    ReportItem *item(const QString &name);
};

} // namespace printing
