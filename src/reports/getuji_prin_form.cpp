#include "reports/getuji_prin_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"

using namespace printing;

namespace {
constexpr qreal kCellHeight = 5.3;
constexpr qreal kTextTop = 1.1;
constexpr qreal kNumberInset = 1.0; // numbers end this far inside the cell's right edge

// The printed headings are fixed: they do not follow the window's run-time headings.
QList<RuledColumn> columns()
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
    return out;
}
} // namespace

TGetujiPrinForm::TGetujiPrinForm(const QString &dateLabel_, std::vector<QStringList> rows_)
    : dateLabel(dateLabel_), grid(std::move(rows_), QPageLayout::Landscape)
{
    Report &rep = grid.rep;
    const QList<RuledColumn> cols = columns();

    rep.pageHeader.height = 6.3;
    ReportItem &title = rep.pageHeader.add(ReportItem::label(QStringLiteral("TitleLabel"), 0, 0, font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(rep.pageHeader, 2.5);

    // The headings head every page; the footing repeats them under the
    // totals row, whose bottom is its top.
    rep.columnHeader.height = kCellHeight;
    addRuledHeadings(rep.columnHeader, cols, kCellHeight, kTextTop, QStringLiteral("Heading"));

    grid.setDetail(cols, kCellHeight, kCellHeight, kTextTop);

    rep.summary.height = kCellHeight;
    addRuledHeadings(rep.summary, cols, kCellHeight, kTextTop, QStringLiteral("Footing"), false);
}

QString TGetujiPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("　売上集計表");
}

PageModel TGetujiPrinForm::Run()
{
    return grid.layout();
}
