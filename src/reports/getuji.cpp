#include "reports/getuji.h"

#include "billing/bill_computation.h"
#include "reports/report_month.h"

#include <array>
#include <limits>

using namespace reports;

QStringList getujiHeadings(const TBaseData &base)
{
    const QString rate = QString::number(ConsumptionTaxRate) + QLatin1Char('%');
    return {QStringLiteral("日"),
            QStringLiteral("宿泊料金(大人)"),
            QStringLiteral("宿泊料金(子供他)"),
            QStringLiteral("日帰り料金"),
            QStringLiteral("オプション料金"),
            base.ServiceKubun == 0 ? QStringLiteral("内サービス料") : QStringLiteral("サービス料"),
            QStringLiteral("値引き"),
            QStringLiteral("料金計"),
            (base.TaxKubun == 0 ? QStringLiteral("内消費税") : QStringLiteral("消費税")) + rate,
            base.Nyutou_Kubun == 0 ? QStringLiteral("内入湯税") : QStringLiteral("入湯税"),
            QStringLiteral("立替金"),
            QStringLiteral("ご利用額合計"),
            QStringLiteral("前受金"),
            QStringLiteral("現金入金"),
            QStringLiteral("売掛金")};
}

namespace {

// Column of the working figure kept per day row (not part of the report).
constexpr int Carried = GetujiColumns;
using Row = std::array<SumCell, GetujiColumns + 1>;

// The column a line's amount goes to, or -1; and whether its quantity
// carries the staying or day-use bathing tax (1 or 2).
struct Placement {
    int column = -1;
    int bathing = 0;
};

Placement placeLine(uint32_t k)
{
    if (k == 1601001 || k == 1601002)
        return {GStayAdult, 1};
    if (k >= 1601003 && k <= 1601100)
        return {GStayOther, 0};
    if (k >= 1601801 && k <= 1601989)
        return {GDayUse, 2};
    if (k >= 1601101 && k <= 1601800)
        return {GOption, 0};
    if (k == 1601991 || k == 1601992)
        return {GStayAdult, 0};
    if (k == 1601993 || k == 1601994)
        return {GDayUse, 0};
    if (k == 1601990)
        return {GService, 0};
    switch (k / 1000) {
    case 1602: return {GDiscount, 0};
    case 1106: return {GAdvance, 0};
    case 1105: return {GDeposit, 0};
    case 102: return {GReceivable, 0};
    default: return {};
    }
}

// The consumption tax of one bill's charges, by the bill's own rules; false
// when the charges are too large to tax.
bool billTax(int64_t charges, bool taxAdded, int64_t *tax)
{
    constexpr int64_t limit = (std::numeric_limits<int64_t>::max() - 100) / (100 + ConsumptionTaxRate);
    if (charges > limit || charges < -limit)
        return false;
    *tax = taxAdded ? addedTax(charges) : includedTax(charges);
    return true;
}

} // namespace

MonthGrid getujiMonth(const RecordList<TReserveData> &lines, const RecordList<TUrikakeData> &receivables,
                      const TBaseData &base, int year, int month, QStringList *carried)
{
    std::array<Row, DayRows + 1> cells{};
    Sums sums;
    const MonthFilter filter(year, month);
    const bool taxAdded = base.TaxKubun != 0;
    const bool bathingSeparate = base.Nyutou_Kubun != 0;
    const bool serviceSeparate = base.ServiceKubun != 0;
    Row &total = cells[TotalsRow];

    for (const TUrikakeData &u : receivables) {
        const int d = filter.day(u.Seisan);
        if (d == 0)
            continue;
        sums.add(cells[d - 1][GReceivable], u.Goukei);
        sums.add(total[GReceivable], u.Goukei);
    }

    // Total of use and cash received of a row, from the row's own cells.
    const auto settle = [&](Row &row) {
        int64_t use = sums.plus(row[GCharges].value, row[GAdvance].value);
        if (taxAdded)
            use = sums.plus(use, row[GTax].value);
        if (bathingSeparate)
            use = sums.plus(use, row[GBathingTax].value);
        sums.assign(row[GTotal], use);
        sums.assign(row[GCash], sums.minus(sums.minus(use, row[GDeposit].value), row[GReceivable].value));
    };

    uint32_t excluded = 0;
    const std::size_t n = lines.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TReserveData &line = lines[i];
        const int d = filter.day(line.Seisan);
        if (d == 0)
            continue;
        // A bill stops counting at its first line without a date.
        if (line.Rsvday[0] == '\0')
            excluded = line.MeiNo;
        if (line.MeiNo == excluded)
            continue;

        Row &row = cells[d - 1];
        const uint32_t k = line.Kubun;
        const int64_t amount = int64_t(line.Tanka) * line.Suryou;
        const Placement p = placeLine(k);
        if (p.column >= 0) {
            sums.add(row[p.column], amount);
            sums.add(total[p.column], amount);
        }
        if (p.bathing) {
            const int64_t tax = int64_t(line.Suryou) * (p.bathing == 1 ? base.Nyutouzei : base.DayNyutouzei);
            sums.add(row[GBathingTax], tax);
            sums.add(total[GBathingTax], tax);
        }
        const uint32_t account = k / 1000;
        const bool charged = account != 1106 && account != 102 && account != 1105
            && (k != 1601990 || serviceSeparate);
        if (charged) {
            sums.add(row[GCharges], amount);
            sums.add(total[GCharges], amount);
        }

        if (i + 1 == n || lines[i + 1].MeiNo != line.MeiNo) {
            // Bill end: the charges since the day's previous bill end are taxed.
            int64_t tax = 0;
            if (!billTax(sums.minus(row[GCharges].value, row[Carried].value), taxAdded, &tax))
                sums.overflow = true;
            sums.add(row[GTax], tax);
            sums.add(total[GTax], tax);
            settle(row);
            settle(total);
            sums.assign(row[Carried], row[GCharges].value);
        }
    }

    MonthGrid grid;
    grid.headings = getujiHeadings(base);
    if (carried)
        carried->clear();
    if (sums.overflow) {
        grid.error = overflowMessage(year, month);
        return grid;
    }
    grid.rows.reserve(DayRows + 1);
    for (int r = 0; r <= DayRows; ++r) {
        QStringList row;
        row.reserve(GetujiColumns);
        if (r == TotalsRow)
            row << QStringLiteral("合計");
        else if (r < filter.daysInMonth())
            row << dayLabel(QDate(year, month, r + 1));
        else
            row << QString();
        for (int c = 1; c < GetujiColumns; ++c)
            row << cells[r][c].text();
        grid.rows.push_back(row);
        if (carried)
            *carried << cells[r][Carried].text();
    }
    return grid;
}
