#include "reports/nyutouzei.h"

#include "reports/month_sum.h"
#include "reports/report_month.h"

#include <array>

using namespace reports;

QStringList nyutouzeiHeadings()
{
    return {QStringLiteral("日"),         QStringLiteral("宿泊 人数"),        QStringLiteral("宿泊 金額"),
            QStringLiteral("日帰り 人数"), QStringLiteral("日帰り 金額"),      QStringLiteral("課税免除 12歳未満"),
            QStringLiteral("課税免除 他免除"), QStringLiteral("課税免除 人数計")};
}

namespace {

// A cell that takes a new value: checked like every sum.
void setCell(MonthSum &cell, int64_t a, int64_t b, bool product)
{
    cell = MonthSum();
    if (product)
        cell.addProduct(a, b);
    else {
        cell.add(a);
        cell.add(b);
    }
}

} // namespace

MonthGrid nyutouzeiMonth(const AppData &data, const ReportMonth &month)
{
    enum { Stay = 1, StayTax, Day, DayTax, Under12, Other, Exempt, Columns };
    using Row = std::array<MonthSum, Columns>;
    std::array<Row, DayRows + 1> cells{};
    bool overflow = false;

    for (const RecordDateIndex::Line &dated : data.ReserveList.lineDates().month(month.year(), month.month())) {
        const TReserveData &line = data.ReserveList[dated.index];
        const int d = int(dated.day);
        Row &row = cells[d - 1];
        Row &total = cells[TotalsRow];
        const int64_t q = line.Suryou;
        const uint32_t k = line.Kubun;
        // Sums only grow marks of overflow; a cell set anew is checked where it is set.
        const auto add = [&](int col) {
            row[col].add(q);
            total[col].add(q);
            overflow = overflow || row[col].overflowed() || total[col].overflowed();
        };
        const auto set = [&](MonthSum &cell, int64_t a, int64_t b, bool product) {
            setCell(cell, a, b, product);
            overflow = overflow || cell.overflowed();
        };
        // The amounts in force on the line's own day.
        const auto addTax = [&](int col, int64_t rate) {
            row[col].addProduct(q, rate);
            total[col].addProduct(q, rate);
            overflow = overflow || row[col].overflowed() || total[col].overflowed();
        };
        if (k == 1601001 || k == 1601002) {
            add(Stay);
            addTax(StayTax, data.Money.amountAt(SettingNyutouzei, month.date(d), data.BaseData));
        } else if (k >= 1601003 && k <= 1601008) {
            add(Under12);
        } else if (k == 1601801 || k == 1601802) {
            add(Day);
            addTax(DayTax, data.Money.amountAt(SettingDayNyutouzei, month.date(d), data.BaseData));
        } else if (k >= 1601803 && k <= 1601805) {
            add(Under12);
        } else if (k >= 1601991 && k <= 1601994) {
            add(Other);
        }
        // Every line of the month, whatever its item, refreshes the exempt total.
        set(row[Exempt], row[Under12].value(), row[Other].value(), false);
        set(total[Exempt], total[Under12].value(), total[Other].value(), false);
    }

    MonthGrid grid;
    grid.headings = nyutouzeiHeadings();
    if (overflow) {
        grid.error = MonthSum::overflowMessage(month);
        return grid;
    }
    grid.rows.reserve(DayRows + 1);
    for (int r = 0; r <= DayRows; ++r) {
        QStringList row;
        row.reserve(Columns);
        row << rowLabel(month, r);
        for (int c = 1; c < Columns; ++c)
            row << cells[r][c].cell();
        grid.rows.push_back(row);
    }
    return grid;
}
