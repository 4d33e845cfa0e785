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
    : dateLabel(dateLabel_), kindText(kindText_), rows(std::move(rows_))
{
    installFontSubstitutions();
    rep.page.size = QPageSize::A4;
    rep.page.orientation = QPageLayout::Portrait;
    rep.page.leftMm = rep.page.topMm = rep.page.rightMm = rep.page.bottomMm = 10;

    rep.pageHeader.height = 10.3;
    ReportItem &title = rep.pageHeader.add(ReportItem::label(QStringLiteral("TitleLabel"), 1.6, 0.5,
                                                             font(kPGothic, 18)));
    title.text = documentName();

    rep.columnHeader.height = kCellHeight;
    addRuledHeadings(rep.columnHeader, kColumns, kCellHeight, kTextTop, QStringLiteral("Heading"));

    rep.detail.height = kCellHeight;
    addRuledDetail(rep.detail, kColumns, kCellHeight, kTextTop, QStringLiteral("Detail"), [this](int col) {
        const QStringList &row = rows[current];
        return col < row.size() ? row[col] : QString();
    });
    rep.moreRows = [this] {
        if (next >= rows.size())
            return false;
        current = next++;
        return true;
    };
}

QString TGetujioptPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("　") + kindText + QStringLiteral("売上集計表");
}

PageModel TGetujioptPrinForm::Run()
{
    next = 0;
    return rep.layout();
}
