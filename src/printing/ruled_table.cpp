#include "printing/ruled_table.h"

#include "printing/fonts.h"
#include "printing/print_form.h"

namespace printing {

namespace {
constexpr qreal kInset = 0.4;  // text kept this far inside a cell's frame
constexpr qreal kSmallest = 6; // point size a long text may shrink to before it is cut
const Pen kFrame{Qt::black, 0.1, PenStyle::Solid};
} // namespace

void addRuledHeadings(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                      const QString &namePrefix)
{
    const FontSpec bold = font(kPGothic, 9, true);
    for (int i = 0; i < columns.size(); ++i) {
        const RuledColumn &c = columns[i];
        band.add(ReportItem::rect(QStringLiteral("%1Cell%2").arg(namePrefix).arg(i), c.left, 0, c.width,
                                  cellHeight, kFrame, kHeadingFill));
        ReportItem &t = band.add(ReportItem::centred(QStringLiteral("%1Caption%2").arg(namePrefix).arg(i),
                                                     c.left + kInset, c.width - 2 * kInset, textTop, bold));
        t.text = c.heading;
        t.minPointSize = kSmallest;
    }
}

void addRuledDetail(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                    const QString &namePrefix, const std::function<QString(int)> &cell)
{
    const FontSpec normal = font(kPGothic, 9);
    for (int i = 0; i < columns.size(); ++i) {
        const RuledColumn &c = columns[i];
        band.add(ReportItem::rect(QStringLiteral("%1Cell%2").arg(namePrefix).arg(i), c.left, 0, c.width,
                                  cellHeight, kFrame));
        const QString name = QStringLiteral("%1Text%2").arg(namePrefix).arg(i);
        const qreal right = c.left + c.width - kInset;
        ReportItem item;
        switch (c.place) {
        case RuledColumn::Centre: {
            const qreal half = std::min(c.at - c.left, c.left + c.width - c.at) - kInset;
            item = ReportItem::centred(name, c.at - half, 2 * half, textTop, normal);
            break;
        }
        case RuledColumn::Left:
            item = ReportItem::label(name, c.at, textTop, normal);
            item.width = right - c.at;
            break;
        case RuledColumn::Right:
            item = ReportItem::rightLabel(name, c.at, textTop, normal);
            item.width = c.at - (c.left + kInset);
            break;
        }
        item.minPointSize = kSmallest;
        const QString picture = c.picture;
        item.supply = [cell, i, picture] {
            const QString text = cell(i);
            return picture.isEmpty() ? text : ruledPictureText(text, picture);
        };
        band.add(item);
    }
}

RuledGridReport::RuledGridReport(std::vector<QStringList> rows_, QPageLayout::Orientation orientation)
    : rows(std::move(rows_))
{
    installFontSubstitutions();
    rep.page.size = QPageSize::A4;
    rep.page.orientation = orientation;
    rep.page.leftMm = rep.page.topMm = rep.page.rightMm = rep.page.bottomMm = 10;
    rep.moreRows = [this] {
        if (next >= rows.size())
            return false;
        current = next++;
        return true;
    };
}

void RuledGridReport::setDetail(const QList<RuledColumn> &columns, qreal cellHeight, qreal bandHeight, qreal textTop)
{
    rep.detail.height = bandHeight;
    addRuledDetail(rep.detail, columns, cellHeight, textTop, QStringLiteral("Detail"), [this](int col) {
        const QStringList &row = rows[current];
        return col < row.size() ? row[col] : QString();
    });
}

PageModel RuledGridReport::layout()
{
    next = 0;
    return rep.layout();
}

QString ruledPictureText(const QString &text, const QString &picture)
{
    if (text.isEmpty())
        return {};
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    return ok ? pictureText(v, picture).trimmed() : text;
}

} // namespace printing
