#include "reports/shukuhaku_prin_form.h"

#include "printing/fonts.h"
#include "reports/lodging_statement.h"
#include "reports/nyutou_prin_form.h"

#include <algorithm>

using namespace printing;

namespace {
// A heading cell holds its parts one to a line: a tier's period (in a month
// whose tiers change) over its range over its amount, "免除" over "人泊".
// Every heading is printed in one size, the largest at which each part fits
// its cell; the cells share their borders, drawn once.
constexpr qreal kHeadingLargest = 9.0;
constexpr qreal kHeadingMost = 12.0; // the tallest heading row that leaves the month on one sheet
constexpr qreal kHeadingSmallest = 5.0;
constexpr qreal kCellHeight = 5.0; // a whole month of 31 days and its sums on one sheet
constexpr qreal kTextTop = 1.0;
constexpr qreal kNumberInset = 2.0;
constexpr qreal kWidth = 277.0; // A4 landscape inside 10 mm margins
constexpr qreal kDay = 14.0;
constexpr qreal kSum = 20.0;
constexpr qreal kTier = 30.0;
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

    // The day, a column per tier as wide as the page allows, then the sums.
    const int tiers = lodgingTierColumns(shown);
    const int sums = std::max(0, int(shown.headings.size()) - 1 - tiers);
    const qreal sumWidth = sums > 0 ? std::min<qreal>(kSum, (kWidth - kDay) / (sums + 1.5 * tiers)) : 0;
    const qreal tierWidth = tiers > 0 ? std::min<qreal>(kTier, (kWidth - kDay - sums * sumWidth) / tiers) : 0;
    QList<RuledColumn> columns;
    QList<QStringList> parts;
    qreal left = 0;
    for (int i = 0; i < shown.headings.size(); ++i) {
        parts << shown.headings[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (i == 0) {
            columns << RuledColumn{QString(), 0.0, kDay, RuledColumn::Centre, kDay / 2, {}};
            left = kDay;
            continue;
        }
        const qreal width = i <= tiers ? tierWidth : sumWidth;
        const QString picture = shown.headings[i].endsWith(QStringLiteral("税額")) ? QStringLiteral("99,999,999")
                                                                                  : QStringLiteral("999,999");
        columns << RuledColumn{QString(), left, width, RuledColumn::Right, left + width - kNumberInset, picture, true};
        left += width;
    }

    // One size for every heading: the largest at which every part fits its
    // cell and the tallest heading the row.
    int lines = 1;
    for (const QStringList &p : parts)
        lines = std::max(lines, int(p.size()));
    const TextMeasure measure;
    const auto fits = [&](qreal size) {
        if (lines * measure.lineHeight(font(kPGothic, size, true)) + 2 * kTextTop > kHeadingMost)
            return false;
        for (int i = 0; i < columns.size(); ++i)
            for (const QString &part : parts[i])
                if (measure.width(font(kPGothic, size, true), part) > columns[i].width - 1.0)
                    return false;
        return true;
    };
    qreal pt = kHeadingLargest;
    while (pt > kHeadingSmallest && !fits(pt))
        pt -= 0.5;
    const qreal step = measure.lineHeight(font(kPGothic, pt, true));
    const qreal height = std::max(lines * step + 2 * kTextTop, 2 * kCellHeight);
    rep.columnHeader.height = height;
    addRuledHeadings(rep.columnHeader, columns, height, kTextTop, QStringLiteral("Heading"));
    for (int i = 0; i < columns.size(); ++i) {
        // Fewer parts than the tallest heading stand in the middle of the cell.
        const qreal top = kTextTop + (lines - parts[i].size()) * step / 2;
        for (int k = 0; k < parts[i].size(); ++k) {
            ReportItem &line = rep.columnHeader.add(
                ReportItem::centred(QStringLiteral("HeadingLine%1_%2").arg(i).arg(k), columns[i].left + 0.5,
                                    columns[i].width - 1.0, top + k * step, font(kPGothic, pt, true)));
            line.text = parts[i][k];
        }
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
