#include "reports/nyutou_prin_form.h"

#include "printing/fonts.h"
#include "printing/ruled_table.h"
#include "storage/cp932.h"

#include <utility>

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

// A zero prints nothing, as an empty cell does.
RuledColumn number(const QString &heading, qreal left, qreal width, const QString &picture)
{
    return {heading, left, width, RuledColumn::Right, left + width - kNumberInset, picture, true};
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

constexpr qreal kDayRight = 13.0; // the day cell's right side, which the next cells overlap

// Heading cells placed top millimetres down the band. Rows right of the day
// cell leave their left side to it, and the lower row its top to the upper.
void addHeadingRow(Band &band, const QList<RuledColumn> &columns, qreal top, qreal height, const QString &prefix,
                   bool besideDay, bool topEdge)
{
    Band row;
    addRuledHeadings(row, columns, height, (height - kCellHeight) / 2 + kTextTop, prefix, topEdge);
    bool first = true;
    for (ReportItem item : row.items) {
        item.y += top;
        if (item.kind == ReportItem::Rect && std::exchange(first, false) && besideDay)
            item.edges &= ~Qt::LeftEdge;
        // The row's rules start where the day cell's end.
        if (item.kind == ReportItem::HLine && besideDay) {
            item.width -= kDayRight - item.x;
            item.x = kDayRight;
        }
        band.add(item);
    }
}

// The facility at the top right beside the month, clear of the headings.
constexpr qreal kFacilityLeft = 130.0;
constexpr qreal kFacilityRight = 190.0;
} // namespace

void addStatementFacility(Band &band, const TBaseData &base, qreal left, qreal right)
{
    QString name = fieldText(base.SisetuName);
    name.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    name = name.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    const QString zip = fieldText(base.ZipCode).trimmed();
    const QString address = ((zip.isEmpty() ? QString() : QStringLiteral("〒") + zip + QLatin1Char(' '))
                             + fieldText(base.Jusyo))
                                .trimmed();
    const QString tel = fieldText(base.TelNo).trimmed();
    const struct {
        const char *name;
        qreal y;
        FontSpec font;
        QString text;
    } lines[] = {
        {"FacilityName", 3.6, font(kPGothic, 9, true), name},
        {"FacilityAddress", 7.6, font(kPGothic, 8), address},
        {"FacilityTel", 11.0, font(kPGothic, 8), tel.isEmpty() ? QString() : QStringLiteral("TEL:") + tel},
    };
    for (const auto &l : lines) {
        ReportItem &item = band.add(ReportItem::label(QLatin1String(l.name), left, l.y, l.font));
        item.text = l.text;
        item.width = right - left;
        item.minPointSize = 6;
    }
}

TNyutouPrinForm::TNyutouPrinForm(const QString &dateLabel_, std::vector<QStringList> rows_, const TBaseData &base)
    : dateLabel(dateLabel_), grid(std::move(rows_), QPageLayout::Portrait)
{
    Report &rep = grid.rep;
    // Title, facility and headings head every page (the 32 rows fit on one).
    Band &head = rep.pageHeader;
    head.height = 20.1;
    ReportItem &title = head.add(ReportItem::label(QStringLiteral("TitleLabel"), 1.1, 1.1, font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(head, 0.0);
    addStatementFacility(head, base, kFacilityLeft, kFacilityRight);
    // "日" spans both heading rows.
    addHeadingRow(head, {kLower[0]}, kUpperTop, 2 * kCellHeight, QStringLiteral("DayHeading"), false, true);
    addHeadingRow(head, kUpper, kUpperTop, kCellHeight, QStringLiteral("UpperHeading"), true, true);
    addHeadingRow(head, kLower.mid(1), kLowerTop, kCellHeight, QStringLiteral("LowerHeading"), true, false);

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
