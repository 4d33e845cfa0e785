#pragma once
// A laid-out document: pages of positioned items. Every length here is in
// millimetres from the top-left corner of the paper; only the renderer turns
// them into device units.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <variant>

namespace printing {

struct FontSpec {
    QString family; // an installed face (see fonts.h)
    qreal pointSize = 9;
    bool bold = false;
    bool operator==(const FontSpec &) const = default;
};

enum class PenStyle { Solid, Dot, Dash };

struct Pen {
    QColor color = Qt::black;
    qreal widthMm = 0.1;
    PenStyle style = PenStyle::Solid;
};

struct TextItem {
    QString name;
    QRectF rect;            // the text's box; for unwrapped text sized to the text
    QString text;
    FontSpec font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    bool wrap = false;      // word wrap inside rect.width()
    bool clip = false;      // nothing drawn outside rect
    QColor color = Qt::black;
};

struct RectItem {
    QString name;
    QRectF rect;
    std::optional<Pen> pen;      // none: no frame
    std::optional<QColor> fill;  // none: transparent
    bool penInside = false;      // frame drawn inside rect instead of centred on its edge
    // The sides framed: a side shared with a neighbour is framed by one of
    // the two only.
    Qt::Edges edges = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;
};

struct LineItem {
    QString name;
    QPointF from;
    QPointF to;
    Pen pen;
};

struct ImageItem {
    QString name;
    QRectF rect; // the image is stretched to this box
    QImage image;
};

using PageItem = std::variant<TextItem, RectItem, LineItem, ImageItem>;

struct Page {
    // Painted in this order, except that the fills of rectangles go first,
    // so that no fill covers a neighbour's frame.
    QList<PageItem> items;
};

struct PageSetup {
    QPageSize::PageSizeId size = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    qreal leftMm = 10, topMm = 10, rightMm = 10, bottomMm = 10;

    // Width and height of the sheet as it lies, in millimetres.
    QSizeF paperMm() const;
    QPageLayout pageLayout() const;
};

struct PageModel {
    PageSetup setup;
    QList<Page> pages;

    // Look-ups for callers and tests: the first item of that name on a page.
    const TextItem *text(int page, const QString &name) const;
    const RectItem *rect(int page, const QString &name) const;
    const LineItem *line(int page, const QString &name) const;
    const ImageItem *image(int page, const QString &name) const;
    // Every text item of that name on a page, in painting order.
    QList<const TextItem *> texts(int page, const QString &name) const;
};

} // namespace printing
