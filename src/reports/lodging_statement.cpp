#include "reports/lodging_statement.h"

#include "billing/lodging_tax_lines.h"
#include "reports/month_sum.h"
#include "reports/report_month.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/money_settings.h"

#include <QLocale>
#include <map>
#include <unordered_map>
#include <vector>

using namespace reports;

namespace {

QString yen(int64_t v) { return QLocale(QLocale::Japanese).toString(qlonglong(v)); }

// A tier's heading: its price range within its period and its amount.
QString tierHeading(const TLodgingPeriod &p, size_t i)
{
    const TLodgingTier &t = p.Tiers[i];
    const QString range = i + 1 < p.Tiers.size()
        ? (t.From == 0 ? QStringLiteral("〜%1円").arg(yen(p.Tiers[i + 1].From - 1))
                       : QStringLiteral("%1〜%2円").arg(yen(t.From), yen(p.Tiers[i + 1].From - 1)))
        : QStringLiteral("%1円〜").arg(yen(t.From));
    return range + QLatin1Char(' ') + (t.Percent ? QStringLiteral("%1%").arg(t.Amount) : yen(t.Amount) + QStringLiteral("円"));
}

// What the statement needs of a bill beyond its stay lines.
struct BillFacts {
    bool exempt = false;
    bool service = false; // the bill charges the service charge
    QDate date;           // the date whose settings it takes
};

} // namespace

MonthGrid lodgingTaxMonth(const AppData &data, const ReportMonth &month)
{
    const TLodgingTax &tax = data.Money.Lodging;

    // One column per tier of the periods in force during the month; a tier
    // both periods share (same range and amount) is one column.
    std::vector<QString> tierNames;
    std::map<std::pair<int, int>, int> columnOf; // (period, tier) -> tier column
    for (int d = 1; d <= month.dayCount(); ++d) {
        const int p = tax.Enabled ? tax.periodAt(month.date(d)) : -1;
        if (p < 0 || columnOf.count({p, 0}) || columnOf.count({p, -1}))
            continue;
        columnOf[{p, -1}] = -1; // the period is taken, tiers or none
        const TLodgingPeriod &period = tax.Periods[size_t(p)];
        for (size_t i = 0; i < period.Tiers.size(); ++i) {
            const QString name = tierHeading(period, i);
            auto same = std::find(tierNames.begin(), tierNames.end(), name);
            if (same == tierNames.end())
                same = tierNames.insert(tierNames.end(), name);
            columnOf[{p, int(i)}] = int(same - tierNames.begin());
        }
    }
    const int tiers = int(tierNames.size());
    const int Taxed = 1 + tiers, Exempt = Taxed + 1, Tax = Exempt + 1, Columns = Tax + 1;

    // The bills that have a stay line in the month, and what the statement needs of each.
    const auto lines = data.ReserveList.lineDates().month(month.year(), month.month());
    std::unordered_map<uint32_t, BillFacts> bills;
    for (const RecordDateIndex::Line &dated : lines)
        if (tax.bearsTax(data.ReserveList[dated.index].Kubun))
            bills.emplace(data.ReserveList[dated.index].MeiNo, BillFacts{});
    if (!bills.empty()) {
        const QDate today = Clock::now().date();
        for (const TReserveData &r : data.ReserveList) {
            const auto b = bills.find(r.MeiNo);
            if (b == bills.end())
                continue;
            BillFacts &f = b->second;
            if (!f.date.isValid()) {
                // An open bill takes today's settings and charges the service charge, as its window does.
                const QDate settled = moneyDate(fieldText(r.Seisan));
                f.date = settled.isValid() ? settled : today;
                f.service = f.service || !settled.isValid();
            }
            if (marksLodgingExempt(r))
                f.exempt = true;
            if (r.Kubun == ServiceLineKey)
                f.service = true;
        }
    }

    std::vector<std::vector<MonthSum>> cells(DayRows + 1, std::vector<MonthSum>(size_t(Columns)));
    bool overflow = false;
    const auto add = [&](int day, int col, int64_t persons, int64_t amount) {
        for (std::vector<MonthSum> *row : {&cells[size_t(day - 1)], &cells[TotalsRow]}) {
            (*row)[size_t(col)].addProduct(persons, amount);
            overflow = overflow || (*row)[size_t(col)].overflowed();
        }
    };
    for (const RecordDateIndex::Line &dated : lines) {
        const TReserveData &line = data.ReserveList[dated.index];
        if (!tax.bearsTax(line.Kubun) || line.Suryou == 0)
            continue;
        const int d = int(dated.day);
        const BillFacts &f = bills[line.MeiNo];
        if (f.exempt) {
            add(d, Exempt, line.Suryou, 1);
            continue;
        }
        const int service = f.service ? data.Money.at(f.date, data.BaseData).Service : 0;
        const TLodgingCharge c = lodgingChargeOfLine(line, f.date, service, data.BaseData, data.Money);
        const auto col = columnOf.find({c.Period, c.Tier});
        if (c.Tier < 0 || col == columnOf.end())
            continue; // below every tier, or no tax that night
        add(d, 1 + col->second, line.Suryou, 1);
        add(d, Taxed, line.Suryou, 1);
        add(d, Tax, line.Suryou, c.Amount);
    }

    MonthGrid grid;
    grid.headings << QStringLiteral("日");
    for (const QString &t : tierNames)
        grid.headings << t;
    grid.headings << QStringLiteral("人泊計") << QStringLiteral("免除 人泊") << QStringLiteral("税額");
    if (overflow) {
        grid.error = MonthSum::overflowMessage(month);
        return grid;
    }
    for (int r = 0; r <= DayRows; ++r) {
        QStringList row{rowLabel(month, r)};
        for (int c = 1; c < Columns; ++c)
            row << cells[size_t(r)][size_t(c)].cell();
        grid.rows.push_back(row);
    }
    return grid;
}

QStringList lodgingUndatedLines(const AppData &data, const ReportMonth &month)
{
    QStringList named;
    const TLodgingTax &tax = data.Money.Lodging;
    if (!tax.Enabled)
        return named;
    for (const RecordDateIndex::Line &settled : data.ReserveList.settlementDates().month(month.year(), month.month())) {
        const TReserveData &line = data.ReserveList[settled.index];
        if (tax.bearsTax(line.Kubun) && line.Suryou != 0 && !moneyDate(fieldText(line.Rsvday)).isValid())
            named << QStringLiteral("伝票No.%1 %2 ×%3名").arg(line.MeiNo).arg(fieldText(line.Kamoku)).arg(line.Suryou);
    }
    return named;
}
