#include "reports/urikake_prn_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"

using namespace printing;

namespace {
// Cells 5.3 mm high in bands 5.4 mm high; texts 1.1 mm below the band's top.
const QList<RuledColumn> kColumns = {
    {QStringLiteral("日"), 0.0, 12.4, RuledColumn::Centre, 6.0, {}},
    {QStringLiteral("請求番号"), 12.4, 18.5, RuledColumn::Centre, 21.9, {}},
    {QStringLiteral("使用者名"), 31.0, 48.9, RuledColumn::Centre, 54.7, {}},
    {QStringLiteral("売掛金種別"), 79.9, 30.0, RuledColumn::Centre, 95.3, {}},
    {QStringLiteral("金額"), 109.8, 16.1, RuledColumn::Right, 125.1, QStringLiteral("999,999,999")},
};
constexpr qreal kCellHeight = 5.3;
constexpr qreal kBandHeight = 5.4;
constexpr qreal kTextTop = 1.1;
} // namespace

TUrikakePrnForm::TUrikakePrnForm(const QString &dateLabel_, std::vector<QStringList> rows_)
    : dateLabel(dateLabel_), grid(std::move(rows_), QPageLayout::Portrait)
{
    Report &rep = grid.rep;
    rep.pageHeader.height = 9.3;
    ReportItem &title = rep.pageHeader.add(ReportItem::label(QStringLiteral("TitleLabel"), 0, 0,
                                                             font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(rep.pageHeader, 3.0);

    // The headings head every page.
    rep.columnHeader.height = kBandHeight;
    addRuledHeadings(rep.columnHeader, kColumns, kCellHeight, kTextTop, QStringLiteral("Heading"));

    grid.setDetail(kColumns, kCellHeight, kBandHeight, kTextTop);
}

QString TUrikakePrnForm::documentName() const
{
    return dateLabel + QStringLiteral("　売掛金月次明細表");
}

PageModel TUrikakePrnForm::Run()
{
    return grid.layout();
}
