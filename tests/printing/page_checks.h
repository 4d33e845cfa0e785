#pragma once
// Checks on laid-out pages shared by the document and printout tests: where
// the glyphs of each text stand, and the solid rules as segments.

#include "printing/fonts.h"
#include "printing/page_model.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <variant>

namespace page_checks {

struct Span {
    QString name;
    QRectF box;
};

// Where a text's glyphs stand: the aligned text within its box, less the
// leading above and below the glyphs.
inline QList<Span> inkBoxes(const printing::PageModel &m, int page)
{
    printing::TextMeasure measure;
    QList<Span> out;
    for (const printing::PageItem &item : m.pages[page].items) {
        const printing::TextItem *t = std::get_if<printing::TextItem>(&item);
        if (!t || t->text.trimmed().isEmpty())
            continue;
        QString shown = t->text;
        if (t->align & Qt::AlignRight)
            while (shown.startsWith(QLatin1Char(' ')))
                shown.remove(0, 1);
        const QSizeF s = measure.size(t->font, shown, t->wrap ? t->rect.width() : 0, t->wrap);
        qreal x = t->rect.left();
        if (t->align & Qt::AlignRight)
            x = t->rect.right() - s.width();
        else if (t->align & Qt::AlignHCenter)
            x = t->rect.center().x() - s.width() / 2;
        const qreal leading = 0.12 * measure.lineHeight(t->font);
        out.append({t->name, QRectF(x, t->rect.top() + leading, s.width(), s.height() - 2 * leading)});
    }
    return out;
}

struct Segment {
    QString name;
    bool horizontal;
    qreal at, from, to;
};

// Every solid rule of a page: lines, and the framed sides of rectangles.
inline QList<Segment> ruledSegments(const printing::PageModel &m, int page)
{
    QList<Segment> out;
    for (const printing::PageItem &item : m.pages[page].items) {
        if (const printing::RectItem *r = std::get_if<printing::RectItem>(&item)) {
            if (!r->pen || r->pen->style != printing::PenStyle::Solid)
                continue;
            const QRectF b = r->rect;
            if (r->edges & Qt::TopEdge)
                out.append({r->name, true, b.top(), b.left(), b.right()});
            if (r->edges & Qt::BottomEdge)
                out.append({r->name, true, b.bottom(), b.left(), b.right()});
            if (r->edges & Qt::LeftEdge)
                out.append({r->name, false, b.left(), b.top(), b.bottom()});
            if (r->edges & Qt::RightEdge)
                out.append({r->name, false, b.right(), b.top(), b.bottom()});
        } else if (const printing::LineItem *l = std::get_if<printing::LineItem>(&item)) {
            if (l->pen.style != printing::PenStyle::Solid)
                continue;
            const bool h = std::abs(l->from.y() - l->to.y()) < 1e-9;
            out.append({l->name, h, h ? l->from.y() : l->from.x(), h ? l->from.x() : l->from.y(),
                        h ? l->to.x() : l->to.y()});
        }
    }
    return out;
}

// Texts whose ink overlaps another's (by more than 0.05 mm each way): one
// line per pair.
inline QStringList overlappingTexts(const QList<Span> &boxes)
{
    QStringList out;
    for (int i = 0; i < boxes.size(); ++i)
        for (int j = i + 1; j < boxes.size(); ++j) {
            const QRectF o = boxes[i].box.intersected(boxes[j].box);
            if (o.width() > 0.05 && o.height() > 0.05)
                out << boxes[i].name + QStringLiteral(" and ") + boxes[j].name;
        }
    return out;
}

// Parallel rules that run side by side (over more than 0.05 mm of their
// length) closer than minGap, a rule drawn twice included: one line each.
inline QStringList closeRules(const printing::PageModel &m, int page, qreal minGap)
{
    QStringList out;
    const QList<Segment> segs = ruledSegments(m, page);
    for (int i = 0; i < segs.size(); ++i)
        for (int j = i + 1; j < segs.size(); ++j) {
            const Segment &a = segs[i], &b = segs[j];
            if (a.horizontal != b.horizontal)
                continue;
            if (std::min(a.to, b.to) - std::max(a.from, b.from) <= 0.05)
                continue;
            if (std::abs(a.at - b.at) < minGap)
                out << QStringLiteral("page %1: %2 and %3, %4 rules at %5 and %6")
                           .arg(page + 1)
                           .arg(a.name, b.name, a.horizontal ? QStringLiteral("horizontal") : QStringLiteral("vertical"))
                           .arg(a.at)
                           .arg(b.at);
        }
    return out;
}

} // namespace page_checks
