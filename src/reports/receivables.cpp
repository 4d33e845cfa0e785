#include "reports/receivables.h"

#include "reports/month_dates.h"
#include "reports/month_sum.h"
#include "storage/cp932.h"

#include <algorithm>

namespace {

constexpr uint32_t CardAccount = 101;
constexpr uint32_t CouponAccount = 102;

QString cardKindName(const RecordList<THojoKamoku> &cards, uint32_t card)
{
    if (card / 1000 != CardAccount)
        return {};
    const uint32_t number = card % 1000;
    for (const THojoKamoku &k : cards)
        if (k.HojoCode == number)
            return fieldText(k.Tekiyo);
    return {};
}

struct Entry {
    int day;
    QStringList cells;
};

} // namespace

QStringList receivablesHeadings()
{
    return {QStringLiteral("日"), QStringLiteral("請求番号"), QStringLiteral("使用者"), QStringLiteral("売掛種別"),
            QStringLiteral("金額")};
}

MonthGrid receivablesMonth(const AppData &data, const ReportMonth &month)
{
    MonthGrid grid;
    grid.headings = receivablesHeadings();
    if (!month.isValid()) {
        grid.error = QStringLiteral("集計する月が正しくありません。");
        return grid;
    }

    QString dayLabels[32];
    for (int d = 1; d <= month.dayCount(); ++d)
        dayLabels[d] = QStringLiteral("%1(%2)").arg(d, 2, 10, QLatin1Char('0')).arg(weekdayName(month.date(d)));

    std::vector<Entry> entries;
    MonthSum total;
    for (const TUrikakeData &u : data.UrikakeList) {
        const int day = month.dayOf(u.Seisan);
        if (day == 0)
            continue;
        total.add(u.Goukei);
        entries.push_back({day,
                           {dayLabels[day], QString::number(u.MeiNo), fieldText(u.Name),
                            cardKindName(data.KamokuList[CardCompanyCategory], u.Card), QString::number(u.Goukei)}});
    }
    for (const RecordDateIndex::Line &settled : data.ReserveList.settlementDates().month(month.year(), month.month())) {
        const TReserveData &r = data.ReserveList[settled.index];
        if (r.Kubun / 1000 != CouponAccount)
            continue;
        const int day = int(settled.day);
        total.add(r.Tanka);
        entries.push_back({day,
                           {dayLabels[day], QString::number(r.MeiNo), fieldText(r.Name), fieldText(r.Kamoku),
                            QString::number(r.Tanka)}});
    }
    if (total.overflowed()) {
        grid.error = MonthSum::overflowMessage(month);
        return grid;
    }

    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.day < b.day; });
    grid.rows.reserve(entries.size() + 1);
    for (Entry &e : entries)
        grid.rows.push_back(std::move(e.cells));
    grid.rows.push_back({QStringLiteral("合計"), QString(), QString(), QString(), QString::number(total.value())});
    blankZeroCells(grid, {4}); // the amount is shown through a picture
    return grid;
}
