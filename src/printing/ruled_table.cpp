#include "printing/ruled_table.h"

#include "printing/fonts.h"
#include "printing/print_form.h"

#include <cmath>

namespace printing {

namespace {
constexpr qreal kInset = 0.4;  // text kept this far inside a cell's frame
constexpr qreal kSmallest = 6; // point size a long text may shrink to before it is cut
const Pen kFrame{Qt::black, 0.1, PenStyle::Solid};
constexpr qreal kShared = 0.5;   // mm: cells meeting within this share one border
constexpr qreal kCloseGap = 2.0; // mm: a cell ending this little short of the next reaches it
} // namespace

namespace {
// One rule across the row at y, from the first cell's left to the last one's right.
void addRowRule(Band &band, const QList<CellFrame> &frames, qreal y, const QString &name)
{
    if (frames.isEmpty())
        return;
    const qreal left = frames.first().left;
    const qreal right = frames.last().left + frames.last().width;
    band.add(ReportItem::hline(name, left, y, right - left, 0, kFrame));
}
} // namespace

QList<CellFrame> cellFrames(const QList<RuledColumn> &columns)
{
    QList<CellFrame> out;
    for (int i = 0; i < columns.size(); ++i) {
        const RuledColumn &c = columns[i];
        CellFrame f{c.left, c.width, Qt::RightEdge};
        if (i + 1 < columns.size()) {
            const qreal gap = columns[i + 1].left - (c.left + c.width);
            if (gap > kShared && gap <= kCloseGap)
                f.width += gap;
        }
        const bool joined = i > 0 && std::abs(out[i - 1].left + out[i - 1].width - c.left) <= kShared;
        if (!joined)
            f.sides |= Qt::LeftEdge;
        out.append(f);
    }
    return out;
}

void addRuledHeadings(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                      const QString &namePrefix, bool topEdge)
{
    const FontSpec bold = font(kPGothic, 9, true);
    const QList<CellFrame> frames = cellFrames(columns);
    for (int i = 0; i < columns.size(); ++i) {
        const RuledColumn &c = columns[i];
        band.add(ReportItem::rect(QStringLiteral("%1Cell%2").arg(namePrefix).arg(i), frames[i].left, 0,
                                  frames[i].width, cellHeight, kFrame, kHeadingFill))
            .edges = frames[i].sides;
        ReportItem &t = band.add(ReportItem::centred(QStringLiteral("%1Caption%2").arg(namePrefix).arg(i),
                                                     c.left + kInset, c.width - 2 * kInset, textTop, bold));
        t.text = c.heading;
        t.minPointSize = kSmallest;
    }
    if (topEdge)
        addRowRule(band, frames, 0, namePrefix + QStringLiteral("Top"));
    addRowRule(band, frames, cellHeight, namePrefix + QStringLiteral("Bottom"));
}

void addRuledDetail(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                    const QString &namePrefix, const std::function<QString(int)> &cell)
{
    const FontSpec normal = font(kPGothic, 9);
    const QList<CellFrame> frames = cellFrames(columns);
    for (int i = 0; i < columns.size(); ++i) {
        const RuledColumn &c = columns[i];
        band.add(ReportItem::rect(QStringLiteral("%1Cell%2").arg(namePrefix).arg(i), frames[i].left, 0,
                                  frames[i].width, cellHeight, kFrame))
            .edges = frames[i].sides;
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
        const bool blankZero = c.blankZero;
        item.supply = [cell, i, picture, blankZero] {
            const QString text = cell(i);
            if (picture.isEmpty())
                return text;
            bool number = false;
            if (blankZero && text.trimmed().toLongLong(&number) == 0 && number)
                return QString();
            return ruledPictureText(text, picture);
        };
        band.add(item);
    }
    // The top side is the bottom of the row or the headings above.
    addRowRule(band, frames, cellHeight, namePrefix + QStringLiteral("Bottom"));
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

void RuledGridReport::addPageNumber(Band &band, qreal y)
{
    const qreal right = rep.page.paperMm().width() - rep.page.leftMm - rep.page.rightMm;
    band.add(ReportItem::pageNumber(QStringLiteral("PageNo"), right, y, font(kPGothic, 9), &pageOfPages, true));
}

QString pageOfPages(int page, int count)
{
    return QStringLiteral("%1 / %2").arg(page).arg(count);
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
