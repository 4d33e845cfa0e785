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
constexpr qreal kBreakdownGap = 2.0; // between the footing and the breakdown by rate
constexpr qreal kHeaderHeight = 6.3;

// The printed headings are short fixed texts; the tax names the month's rate
// as the window does.
QList<RuledColumn> columns(const QString &taxHeading)
{
    const struct { const char *heading; qreal left; } amounts[] = {
        {"大人宿泊", 12.4}, {"宿泊(他)", 28.6}, {"日帰り", 44.7}, {"オプション", 60.6}, {"ｻｰﾋﾞｽ料", 76.7},
        {"値引き", 92.9},   {"料金計", 109.0},  {"消費税", 125.1}, {"入湯税", 141.3},    {"立替金", 157.4},
        {"利用金額", 173.6}, {"前受金", 190.8}, {"現金入金", 206.9}, {"売掛金", 223.0},
    };
    constexpr qreal width = 16.1;
    QList<RuledColumn> out = {{QStringLiteral("日"), 0.0, 12.4, RuledColumn::Centre, 6.2, {}}};
    for (const auto &a : amounts)
        out.append({QString::fromUtf8(a.heading), a.left, width, RuledColumn::Right, a.left + width - kNumberInset,
                    QStringLiteral("999,999,999")});
    if (!taxHeading.isEmpty())
        out[GTax].heading = taxHeading.startsWith(QStringLiteral("内")) ? taxHeading.mid(1) : taxHeading;
    return out;
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
    : dateLabel(dateLabel_), breakdown(takeBreakdown(rows_)), grid(std::move(rows_), QPageLayout::Landscape)
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
        for (ReportItem item : row.items) {
            item.y += top + cell * qreal(r);
            rep.summary.add(item);
        }
    }
}

QString TGetujiPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("　売上集計表");
}

PageModel TGetujiPrinForm::Run()
{
    return grid.layout();
}
