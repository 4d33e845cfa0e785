#include "reports/getuji_prin_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"
#include "reports/getuji.h"
#include "reports/report_month.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace printing;

namespace {
constexpr qreal kCellHeight = 5.3;
constexpr qreal kTextTop = 1.1;
constexpr qreal kNumberInset = 1.0; // numbers end this far inside the cell's right edge
constexpr qreal kDayWidth = 12.4;
constexpr qreal kAmountWidth = 18.8; // fourteen of them and the day fill the 277 mm of the page
constexpr qreal kBreakdownGap = 2.0; // between the footing and the breakdown by rate
// The title (18 pt) stands clear above the heading row.
constexpr qreal kHeaderHeight = 9.0;
constexpr qreal kTextInset = 0.4;   // as the ruled table keeps its texts inside a cell
constexpr qreal kNumberPt = 9;      // the figures' size, unless the largest needs less
constexpr qreal kSmallestNumber = 6;

// The printed headings are short fixed texts; the tax names the month's rate
// as the window does.
QList<RuledColumn> columns(const QString &taxHeading)
{
    const char *amounts[] = {"大人宿泊", "宿泊(他)", "日帰り", "オプション", "ｻｰﾋﾞｽ料", "値引き", "料金計",
                             "消費税",   "入湯税",   "立替金", "利用金額",   "前受金",   "現金入金", "売掛金"};
    // The fourteen figures share the width of the page, so that a month's
    // totals print at the size of its days.
    constexpr qreal width = kAmountWidth;
    QList<RuledColumn> out = {{QStringLiteral("日"), 0.0, kDayWidth, RuledColumn::Centre, kDayWidth / 2, {}}};
    qreal left = kDayWidth;
    for (const char *a : amounts) {
        out.append({QString::fromUtf8(a), left, width, RuledColumn::Right, left + width - kNumberInset,
                    QStringLiteral("999,999,999")});
        left += width;
    }
    if (!taxHeading.isEmpty())
        out[GTax].heading = taxHeading.startsWith(QStringLiteral("内")) ? taxHeading.mid(1) : taxHeading;
    return out;
}

// The one size of every figure of the table: the largest at which the
// widest of them (the month's totals) fits its cell, so that no row prints
// smaller than another.
qreal numberSize(const std::vector<QStringList> &rows, const std::vector<QStringList> &breakdown)
{
    const QList<RuledColumn> cols = columns(QString());
    const TextMeasure measure;
    qreal pt = kNumberPt;
    for (const std::vector<QStringList> *table : {&rows, &breakdown})
        for (const QStringList &row : *table)
            for (int c = 1; c < cols.size() && c < row.size(); ++c) {
                const QString text = ruledPictureText(row[c], cols[c].picture).trimmed();
                const qreal room = cols[c].at - cols[c].left - kTextInset;
                while (pt - 0.5 >= kSmallestNumber - 1e-6 && measure.width(font(kPGothic, pt), text) > room + 1e-6)
                    pt -= 0.5;
            }
    return pt;
}

// Moves the rows after the totals out of rows.
std::vector<QStringList> takeBreakdown(std::vector<QStringList> &rows)
{
    constexpr std::size_t kept = reports::DayRows + 1;
    if (rows.size() <= kept)
        return {};
    std::vector<QStringList> out(std::make_move_iterator(rows.begin() + kept), std::make_move_iterator(rows.end()));
    rows.resize(kept);
    return out;
}
} // namespace

TGetujiPrinForm::TGetujiPrinForm(const QString &dateLabel_, std::vector<QStringList> rows_, const QString &taxHeading)
    : dateLabel(dateLabel_), breakdown(takeBreakdown(rows_)), numberPt(numberSize(rows_, breakdown)),
      grid(std::move(rows_), QPageLayout::Landscape)
{
    Report &rep = grid.rep;
    const QList<RuledColumn> cols = columns(taxHeading);

    // The breakdown by rate below the totals keeps the month on one page:
    // the rows are then made a little lower.
    qreal cell = kCellHeight;
    qreal textTop = kTextTop;
    if (!breakdown.empty()) {
        const qreal room = rep.page.paperMm().height() - rep.page.topMm - rep.page.bottomMm - kHeaderHeight - kBreakdownGap;
        const int cells = reports::DayRows + 3 + int(breakdown.size()); // headings, days, totals, footing, rates
        cell = std::min(kCellHeight, std::floor(room / cells * 10) / 10);
        textTop = kTextTop - (kCellHeight - cell) / 2;
    }

    rep.pageHeader.height = kHeaderHeight;
    ReportItem &title = rep.pageHeader.add(ReportItem::label(QStringLiteral("TitleLabel"), 0, 0, font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(rep.pageHeader, 2.5);

    // The headings head every page; the footing repeats them under the
    // totals row, whose bottom is its top.
    rep.columnHeader.height = cell;
    addRuledHeadings(rep.columnHeader, cols, cell, textTop, QStringLiteral("Heading"));

    grid.setDetail(cols, cell, cell, textTop);

    rep.summary.height = cell;
    addRuledHeadings(rep.summary, cols, cell, textTop, QStringLiteral("Footing"), false);
    setNumberSize(rep.detail);
    if (breakdown.empty())
        return;

    // Below the footing, a little apart: one ruled row per rate, as the window shows it.
    const qreal top = cell + kBreakdownGap;
    rep.summary.height = top + cell * qreal(breakdown.size());
    const QList<CellFrame> frames = cellFrames(cols);
    const qreal right = frames.last().left + frames.last().width;
    rep.summary.add(ReportItem::hline(QStringLiteral("RateTop"), frames.first().left, top,
                                      right - frames.first().left, 0, Pen{}));
    for (std::size_t r = 0; r < breakdown.size(); ++r) {
        Band row;
        const QStringList &cells = breakdown[r];
        addRuledDetail(row, cols, cell, textTop, QStringLiteral("Rate%1").arg(r),
                       [cells](int col) { return col < cells.size() ? cells[col] : QString(); });
        setNumberSize(row);
        for (ReportItem item : row.items) {
            item.y += top + cell * qreal(r);
            rep.summary.add(item);
        }
    }
}

// The figures of a band (every text but the day's) at the table's one size.
void TGetujiPrinForm::setNumberSize(Band &band) const
{
    for (ReportItem &item : band.items)
        if (item.kind == ReportItem::Label && item.name.contains(QStringLiteral("Text"))
            && !item.name.endsWith(QStringLiteral("Text0")))
            item.font.pointSize = numberPt;
}

QString TGetujiPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("　売上集計表");
}

PageModel TGetujiPrinForm::Run()
{
    return grid.layout();
}
