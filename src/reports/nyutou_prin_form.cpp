#include "reports/nyutou_prin_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"

using namespace printing;

namespace {
// The two heading rows of the title band:
//
//   |    |      宿泊       |     日帰り      |         課税免除          |
//   | 日 |--------+--------+--------+--------+--------+--------+--------|
//   |    |  人数  |  金額  |  人数  |  金額  |12歳未満| 他免除 | 人数計 |
//
// and the detail cells under the lower row. Numbers end 2 mm inside their
// cell's right edge.
constexpr qreal kUpperTop = 9.5;
constexpr qreal kLowerTop = 14.8;
constexpr qreal kCellHeight = 5.3;
constexpr qreal kTextTop = 1.0;
constexpr qreal kNumberInset = 2.0;

RuledColumn number(const QString &heading, qreal left, qreal width, const QString &picture)
{
    return {heading, left, width, RuledColumn::Right, left + width - kNumberInset, picture};
}

const QString kPersons = QStringLiteral("9,999");
const QString kAmount = QStringLiteral("9,999,999");

const QList<RuledColumn> kLower = {
    {QStringLiteral("日"), 0.0, 13.0, RuledColumn::Centre, 6.5, {}},
    number(QStringLiteral("人数"), 12.7, 14.6, kPersons),
    number(QStringLiteral("金額"), 27.0, 20.9, kAmount),
    number(QStringLiteral("人数"), 47.9, 14.6, kPersons),
    number(QStringLiteral("金額"), 62.2, 20.9, kAmount),
    number(QStringLiteral("12歳未満"), 83.1, 14.6, kPersons),
    number(QStringLiteral("他免除"), 97.4, 14.6, kPersons),
    number(QStringLiteral("人数計"), 111.7, 14.6, kPersons),
};
const QList<RuledColumn> kUpper = {
    {QStringLiteral("宿泊"), 12.7, 35.2, RuledColumn::Centre, 0, {}},
    {QStringLiteral("日帰り"), 47.9, 35.2, RuledColumn::Centre, 0, {}},
    {QStringLiteral("課税免除"), 83.1, 43.1, RuledColumn::Centre, 0, {}},
};

// Heading cells placed top millimetres down the band.
void addHeadingRow(Band &band, const QList<RuledColumn> &columns, qreal top, qreal height, const QString &prefix)
{
    Band row;
    addRuledHeadings(row, columns, height, (height - kCellHeight) / 2 + kTextTop, prefix);
    for (ReportItem item : row.items) {
        item.y += top;
        band.add(item);
    }
}
} // namespace

TNyutouPrinForm::TNyutouPrinForm(const QString &dateLabel_, std::vector<QStringList> rows_)
    : dateLabel(dateLabel_), grid(std::move(rows_), QPageLayout::Portrait)
{
    Report &rep = grid.rep;
    rep.title.height = 20.1;
    ReportItem &title = rep.title.add(ReportItem::label(QStringLiteral("TitleLabel"), 1.1, 1.1, font(kPGothic, 18)));
    title.text = documentName();
    // "日" spans both heading rows.
    addHeadingRow(rep.title, {kLower[0]}, kUpperTop, 2 * kCellHeight, QStringLiteral("DayHeading"));
    addHeadingRow(rep.title, kUpper, kUpperTop, kCellHeight, QStringLiteral("UpperHeading"));
    addHeadingRow(rep.title, kLower.mid(1), kLowerTop, kCellHeight, QStringLiteral("LowerHeading"));

    grid.setDetail(kLower, kCellHeight, kCellHeight, kTextTop);
}

QString TNyutouPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("入湯税納入明細");
}

PageModel TNyutouPrinForm::Run()
{
    return grid.layout();
}
