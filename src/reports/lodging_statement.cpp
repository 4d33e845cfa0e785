#include "reports/lodging_statement.h"

#include "billing/lodging_tax_lines.h"
#include "reports/month_sum.h"
#include "reports/report_month.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/money_settings.h"

#include <QLocale>
#include <algorithm>
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

// What the statement needs of a bill: its stay lines with their own meal
// parts, its exemption, whether it charges the service charge and the date
// whose settings it takes.
struct BillFacts {
    bool service = false;
    QDate date;
    RecordList<TReserveData> lines; // the lines that bear the tax, in the bill's order
    std::vector<int32_t> meals;     // parallel to lines
    bool lastTaxed = false;         // the bill's record before is one of lines
    TLodgingExemption exemption;
};

// The guest-nights of one line on one night of the month.
struct NightEntry {
    int day = 0;
    int64_t exempt = 0;
    int64_t taxed = 0;
    QString reason;
    TLodgingCharge charge;
};

} // namespace

MonthGrid lodgingTaxMonth(const AppData &data, const ReportMonth &month)
{
    const TLodgingTax &tax = data.Money.Lodging;

    // The periods in force during the month, in order.
    std::vector<int> periods;
    for (int d = 1; d <= month.dayCount(); ++d)
        if (const int p = tax.Enabled ? tax.periodAt(month.date(d)) : -1;
            p >= 0 && std::find(periods.begin(), periods.end(), p) == periods.end())
            periods.push_back(p);
    // One column per tier of those periods; a tier both periods share (same
    // range and amount) is one column. When the tiers change within the
    // month, each column names the period it starts with.
    std::vector<QString> tierKeys, tierNames;
    std::map<std::pair<int, int>, int> columnOf; // (period, tier) -> tier column
    QStringList authorities;
    for (const int p : periods) {
        const TLodgingPeriod &period = tax.Periods[size_t(p)];
        for (size_t i = 0; i < period.Tiers.size(); ++i) {
            const QString key = tierHeading(period, i);
            auto same = std::find(tierKeys.begin(), tierKeys.end(), key);
            if (same == tierKeys.end()) {
                same = tierKeys.insert(tierKeys.end(), key);
                tierNames.push_back(periods.size() > 1 ? moneyDateText(period.From) + QStringLiteral("から ") + key : key);
            }
            columnOf[{p, int(i)}] = int(same - tierKeys.begin());
            for (const TLodgingShare &share : period.Tiers[i].Shares)
                if (!authorities.contains(share.Authority))
                    authorities << share.Authority;
        }
    }

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
                f.exemption.All = true;
            if (r.Kubun == ServiceLineKey)
                f.service = true;
            const bool taxed = tax.bearsTax(r.Kubun);
            if (isLodgingNote(r)) {
                if (!readLodgingExemptNote(r, &f.exemption.GuestNights, &f.exemption.Reason) && f.lastTaxed)
                    f.meals.back() = std::max(0, r.Tanka);
                continue;
            }
            if (taxed) {
                f.lines.push_back(r);
                f.meals.push_back(-1);
            }
            f.lastTaxed = taxed;
        }
    }

    std::vector<NightEntry> entries;
    QStringList reasons;
    for (const auto &[billNo, f] : bills) {
        const int service = f.service ? data.Money.at(f.date, data.BaseData).Service : 0;
        for (const TLodgingNight &n :
             lodgingNightsOfLines(f.lines, f.meals, f.date, service, data.BaseData, data.Money, f.exemption)) {
            const QDate night = moneyDate(fieldText(f.lines[size_t(n.Line)].Rsvday));
            if (!night.isValid() || night.year() != month.year() || night.month() != month.month())
                continue; // another month's, or named as undated
            entries.push_back({night.day(), n.Exempt, n.Persons - n.Exempt, f.exemption.Reason, n.Charge});
            if (n.Exempt != 0 && !f.exemption.Reason.isEmpty() && !reasons.contains(f.exemption.Reason))
                reasons << f.exemption.Reason;
        }
    }
    // The reasons in the inn's order, then any it no longer lists.
    std::stable_sort(reasons.begin(), reasons.end(), [&](const QString &a, const QString &b) {
        const auto rank = [&](const QString &r) {
            const qsizetype i = tax.ExemptReasons.indexOf(r);
            return i < 0 ? tax.ExemptReasons.size() : i;
        };
        return rank(a) < rank(b);
    });

    const int tiers = int(tierNames.size());
    const int Taxed = 1 + tiers, Exempt = Taxed + 1, FirstReason = Exempt + 1;
    const int Tax = FirstReason + int(reasons.size()), FirstShare = Tax + 1;
    const int Columns = FirstShare + int(authorities.size());

    std::vector<std::vector<MonthSum>> cells(DayRows + 1, std::vector<MonthSum>(size_t(Columns)));
    bool overflow = false;
    const auto add = [&](int day, int col, int64_t persons, int64_t amount) {
        for (std::vector<MonthSum> *row : {&cells[size_t(day - 1)], &cells[TotalsRow]}) {
            (*row)[size_t(col)].addProduct(persons, amount);
            overflow = overflow || (*row)[size_t(col)].overflowed();
        }
    };
    for (const NightEntry &e : entries) {
        if (e.exempt != 0) {
            add(e.day, Exempt, e.exempt, 1);
            if (const qsizetype r = reasons.indexOf(e.reason); r >= 0)
                add(e.day, FirstReason + int(r), e.exempt, 1);
        }
        const auto col = columnOf.find({e.charge.Period, e.charge.Tier});
        if (e.taxed == 0 || e.charge.Tier < 0 || col == columnOf.end())
            continue; // below every tier, or no tax that night
        add(e.day, 1 + col->second, e.taxed, 1);
        add(e.day, Taxed, e.taxed, 1);
        add(e.day, Tax, e.taxed, e.charge.Amount);
        for (const TLodgingShare &share : tax.Periods[size_t(e.charge.Period)].Tiers[size_t(e.charge.Tier)].Shares)
            add(e.day, FirstShare + int(authorities.indexOf(share.Authority)), e.taxed, share.Amount);
    }

    MonthGrid grid;
    grid.headings << QStringLiteral("日");
    for (const QString &t : tierNames)
        grid.headings << t;
    grid.headings << QStringLiteral("人泊計") << QStringLiteral("免除 人泊");
    for (const QString &r : reasons)
        grid.headings << QStringLiteral("免除 ") + r;
    grid.headings << QStringLiteral("税額");
    for (const QString &a : authorities)
        grid.headings << a + QStringLiteral(" 税額");
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

int lodgingTierColumns(const MonthGrid &grid) { return std::max(0, int(grid.headings.indexOf(QStringLiteral("人泊計"))) - 1); }

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
