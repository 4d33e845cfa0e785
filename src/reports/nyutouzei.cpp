#include "reports/nyutouzei.h"

#include "reports/report_month.h"

#include <array>

using namespace reports;

QStringList nyutouzeiHeadings()
{
    return {QStringLiteral("日"),         QStringLiteral("宿泊 人数"),        QStringLiteral("宿泊 金額"),
            QStringLiteral("日帰り 人数"), QStringLiteral("日帰り 金額"),      QStringLiteral("課税免除 12歳未満"),
            QStringLiteral("課税免除 他免除"), QStringLiteral("課税免除 人数計")};
}

MonthGrid nyutouzeiMonth(const RecordList<TReserveData> &lines, const TBaseData &base, int year, int month)
{
    enum { Stay = 1, StayTax, Day, DayTax, Under12, Other, Exempt, Columns };
    using Row = std::array<SumCell, Columns>;
    std::array<Row, DayRows + 1> cells{};
    Sums sums;
    const MonthFilter filter(year, month);
    const int64_t rate = base.Nyutouzei, dayRate = base.DayNyutouzei;

    for (const TReserveData &line : lines) {
        const int d = filter.day(line.Rsvday);
        if (d == 0)
            continue;
        Row &row = cells[d - 1];
        Row &total = cells[TotalsRow];
        const int64_t q = line.Suryou;
        const uint32_t k = line.Kubun;
        const auto add = [&](int col) {
            sums.add(row[col], q);
            sums.add(total[col], q);
        };
        if (k == 1601001 || k == 1601002) {
            add(Stay);
            sums.assign(row[StayTax], sums.times(row[Stay].value, rate));
            sums.assign(total[StayTax], sums.times(total[Stay].value, rate));
        } else if (k >= 1601003 && k <= 1601008) {
            add(Under12);
        } else if (k == 1601801 || k == 1601802) {
            add(Day);
            sums.assign(row[DayTax], sums.times(row[Day].value, dayRate));
            sums.assign(total[DayTax], sums.times(total[Day].value, dayRate));
        } else if (k >= 1601803 && k <= 1601805) {
            add(Under12);
        } else if (k >= 1601991 && k <= 1601994) {
            add(Other);
        }
        // Every line of the month, whatever its item, refreshes the exempt total.
        sums.assign(row[Exempt], sums.plus(row[Under12].value, row[Other].value));
        sums.assign(total[Exempt], sums.plus(total[Under12].value, total[Other].value));
    }

    MonthGrid grid;
    grid.headings = nyutouzeiHeadings();
    if (sums.overflow) {
        grid.error = overflowMessage(year, month);
        return grid;
    }
    grid.rows.reserve(DayRows + 1);
    for (int r = 0; r <= DayRows; ++r) {
        QStringList row;
        row.reserve(Columns);
        if (r == TotalsRow)
            row << QStringLiteral("合計");
        else if (r < filter.daysInMonth())
            row << dayLabel(QDate(year, month, r + 1));
        else
            row << QString();
        for (int c = 1; c < Columns; ++c)
            row << cells[r][c].text();
        grid.rows.push_back(row);
    }
    return grid;
}
