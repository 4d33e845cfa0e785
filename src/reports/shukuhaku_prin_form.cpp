#include "reports/shukuhaku_prin_form.h"

#include "printing/fonts.h"
#include "reports/nyutou_prin_form.h"

using namespace printing;

namespace {
// A heading cell holds its two parts on two lines, "6,000〜19,999円" over
// "400円"; the cells share their borders, drawn once.
constexpr qreal kHeadingHeight = 10.6;
constexpr qreal kCellHeight = 5.0; // a whole month of 31 days and its sums on one sheet
constexpr qreal kTextTop = 1.0;
constexpr qreal kNumberInset = 2.0;
constexpr qreal kWidth = 277.0; // A4 landscape inside 10 mm margins
constexpr qreal kDay = 14.0;
constexpr qreal kSum = 20.0;
} // namespace

TShukuhakuPrinForm::TShukuhakuPrinForm(const QString &dateLabel_, const MonthGrid &shown, const TBaseData &base)
    : dateLabel(dateLabel_), grid(shown.rows, QPageLayout::Landscape)
{
    Report &rep = grid.rep;
    Band &head = rep.pageHeader;
    head.height = 16.0;
    ReportItem &title = head.add(ReportItem::label(QStringLiteral("TitleLabel"), 1.1, 1.1, font(kPGothic, 18)));
    title.text = documentName();
    grid.addPageNumber(head, 0.0);
    addStatementFacility(head, base, 190.0, 265.0);

    // The day, a column per tier as wide as the page allows, then the three sums.
    const int tiers = std::max(0, int(shown.headings.size()) - 4);
    const qreal tierWidth = tiers > 0 ? std::min<qreal>(30.0, (kWidth - kDay - 3 * kSum) / tiers) : 0;
    QList<RuledColumn> columns;
    QStringList lower;
    qreal left = 0;
    for (int i = 0; i < shown.headings.size(); ++i) {
        const QString h = shown.headings[i];
        const qsizetype space = h.lastIndexOf(QLatin1Char(' '));
        const QString upper = space < 0 ? h : h.left(space);
        lower << (space < 0 ? QString() : h.mid(space + 1));
        if (i == 0) {
            columns << RuledColumn{upper, 0.0, kDay, RuledColumn::Centre, kDay / 2, {}};
            left = kDay;
            continue;
        }
        const qreal width = i <= tiers ? tierWidth : kSum;
        const QString picture = i == shown.headings.size() - 1 ? QStringLiteral("99,999,999") : QStringLiteral("999,999");
        columns << RuledColumn{upper, left, width, RuledColumn::Right, left + width - kNumberInset, picture, true};
        left += width;
    }
    rep.columnHeader.height = kHeadingHeight;
    addRuledHeadings(rep.columnHeader, columns, kHeadingHeight, kTextTop, QStringLiteral("Heading"));
    for (int i = 0; i < columns.size(); ++i) {
        ReportItem &second = rep.columnHeader.add(ReportItem::centred(QStringLiteral("HeadingLower%1").arg(i),
                                                                      columns[i].left + 0.5, columns[i].width - 1.0,
                                                                      kCellHeight + kTextTop, font(kPGothic, 9, true)));
        second.text = lower[i];
        second.minPointSize = 5;
    }
    grid.setDetail(columns, kCellHeight, kCellHeight, kTextTop);
}

QString TShukuhakuPrinForm::documentName() const
{
    return dateLabel + QStringLiteral("宿泊税納入明細");
}

PageModel TShukuhakuPrinForm::Run()
{
    return grid.layout();
}
