#include "reports/getujiopt_prin_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"

using namespace printing;

namespace {
// Cells and bands 5.3 mm high; texts 1.1 mm below the band's top.
const QList<RuledColumn> kColumns = {
    {QStringLiteral("科目コード"), 0.0, 25.1, RuledColumn::Centre, 12.6, {}},
    {QStringLiteral("項目名"), 25.1, 71.4, RuledColumn::Left, 27.3, {}},
    {QStringLiteral("数量"), 96.6, 26.5, RuledColumn::Right, 120.1, QStringLiteral("999,999,999")},
    {QStringLiteral("料金計"), 123.0, 39.7, RuledColumn::Right, 160.3, QStringLiteral("999,999,999")},
};
constexpr qreal kCellHeight = 5.3;
constexpr qreal kTextTop = 1.1;
} // namespace

TGetujioptPrinForm::TGetujioptPrinForm(const QString &dateLabel_, const QString &kindText_,
                                       std::vector<QStringList> rows_)
    : dateLabel(dateLabel_), kindText(kindText_), grid(std::move(rows_), QPageLayout::Portrait)
{
    Report &rep = grid.rep;
    rep.pageHeader.height = 10.3;
    ReportItem &title = rep.pageHeader.add(ReportItem::label(QStringLiteral("TitleLabel"), 1.6, 0.5,
                                                             font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(rep.pageHeader, 3.5);

    rep.columnHeader.height = kCellHeight;
    addRuledHeadings(rep.columnHeader, kColumns, kCellHeight, kTextTop, QStringLiteral("Heading"));

    grid.setDetail(kColumns, kCellHeight, kCellHeight, kTextTop);
}

QString TGetujioptPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("　") + kindText + QStringLiteral("売上集計表");
}

PageModel TGetujioptPrinForm::Run()
{
    return grid.layout();
}
