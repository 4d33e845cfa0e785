#include "reports/getuji.h"

#include "billing/bill_computation.h"
#include "reports/month_sum.h"
#include "storage/cp932.h"
#include "reports/report_month.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>

using namespace reports;

QStringList getujiHeadings(const TBaseData &base, const std::vector<int> &rates)
{
    // A month under one rate names it; a month of two rates cannot.
    const QString rate = rates.size() == 1 ? QString::number(rates.front()) + QLatin1Char('%') : QString();
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

QString getujiRateLabel(int rate)
{
    return QString::number(rate) + QStringLiteral("%対象");
}

namespace {

// Column of the working figure kept per day row (not part of the report).
constexpr int Carried = GetujiColumns;
using Row = std::array<MonthSum, GetujiColumns + 1>;

// The column a line's amount goes to, or -1.
int placeLine(uint32_t k)
{
    if (k == 1601001 || k == 1601002)
        return GStayAdult;
    if (k >= 1601003 && k <= 1601100)
        return GStayOther;
    if (k >= 1601801 && k <= 1601989)
        return GDayUse;
    if (k >= 1601101 && k <= 1601800)
        return GOption;
    if (k == 1601991 || k == 1601992)
        return GStayAdult;
    if (k == 1601993 || k == 1601994)
        return GDayUse;
    if (k == ServiceLineKey)
        return GService;
    switch (k / 1000) {
    case 1602: return GDiscount;
    case 1106: return GAdvance;
    case 1105: return GDeposit;
    case 102: return GReceivable;
    default: return -1;
    }
}

// Figures worked out from other cells, checked like the sums.
struct Checked {
    bool overflow = false;
    int64_t plus(int64_t a, int64_t b)
    {
        int64_t r = 0;
        overflow |= __builtin_add_overflow(a, b, &r);
        return r;
    }
    int64_t minus(int64_t a, int64_t b)
    {
        int64_t r = 0;
        overflow |= __builtin_sub_overflow(a, b, &r);
        return r;
    }
    // The consumption tax of one bill's charges, once per rate by the bill's own rules.
    std::vector<TTaxShare> tax(int64_t standardItems, int64_t reducedItems, int64_t common, int64_t standardOnly,
                               const TRatesInForce &rates, bool taxAdded)
    {
        std::vector<TTaxShare> shares;
        if (!taxShares(standardItems, reducedItems, common, standardOnly, rates, taxAdded, &shares))
            overflow = true;
        return shares;
    }
};

// Whether a charged line's amount is shared over the rates (discounts, the
// service charge) rather than an item of its own rate.
bool isCommonCharge(uint32_t k) { return k / 1000 == 1602 || k == ServiceLineKey; }

void setCell(MonthSum &cell, int64_t value)
{
    cell = MonthSum();
    cell.add(value);
}

} // namespace

MonthGrid getujiMonth(const AppData &data, const ReportMonth &month, QStringList *carried,
                      std::vector<TTaxShare> *byRate)
{
    const TBaseData &base = data.BaseData;
    const ReserveRecords &lines = data.ReserveList;
    std::array<Row, DayRows + 1> cells{};
    Checked checked;
    const bool taxAdded = base.TaxKubun != 0;
    const bool bathingSeparate = base.Nyutou_Kubun != 0;
    const bool serviceSeparate = base.ServiceKubun != 0;
    Row &total = cells[TotalsRow];

    for (const TUrikakeData &u : data.UrikakeList) {
        const int d = month.dayOf(u.Seisan);
        if (d == 0)
            continue;
        cells[d - 1][GReceivable].add(u.Goukei);
        total[GReceivable].add(u.Goukei);
    }

    // Total of use and cash received of a row, from the row's own cells.
    const auto settle = [&](Row &row) {
        int64_t use = checked.plus(row[GCharges].value(), row[GAdvance].value());
        if (taxAdded)
            use = checked.plus(use, row[GTax].value());
        if (bathingSeparate)
            use = checked.plus(use, row[GBathingTax].value());
        setCell(row[GTotal], use);
        setCell(row[GCash], checked.minus(checked.minus(use, row[GDeposit].value()), row[GReceivable].value()));
    };

    const std::vector<uint32_t> reduced = reducedRateKeys(data.KamokuList);
    std::map<std::pair<int, bool>, TTaxShare> rateTotals; // by rate, reduced or not
    // The bill being added up: its reduced-rate items, its shared charges and
    // its bathing tax (out of its tax base when the prices include it).
    MonthSum billReduced, billCommon, billBathing;

    uint32_t excluded = 0;
    const std::size_t n = lines.size();
    for (const RecordDateIndex::Line &settled : lines.settlementDates().month(month.year(), month.month())) {
        const std::size_t i = settled.index;
        const TReserveData &line = lines[i];
        const int d = int(settled.day);
        // A bill stops counting at its first line without a date.
        if (line.Rsvday[0] == '\0')
            excluded = line.MeiNo;
        if (line.MeiNo == excluded)
            continue;

        Row &row = cells[d - 1];
        const uint32_t k = line.Kubun;
        const int column = placeLine(k);
        if (column >= 0) {
            row[column].addProduct(line.Tanka, line.Suryou);
            total[column].addProduct(line.Tanka, line.Suryou);
        }
        // The bathing tax as the bill charged it, by the line's own date.
        if (const TBathingRate bath = bathingRateOfLine(line, data.Money.at(month.date(d), base), base, data.Money);
            bath.Amount != 0) {
            row[GBathingTax].addProduct(line.Suryou, bath.Amount);
            total[GBathingTax].addProduct(line.Suryou, bath.Amount);
            billBathing.addProduct(line.Suryou, bath.Amount);
        }
        const uint32_t account = k / 1000;
        const bool charged = account != 1106 && account != 102 && account != 1105
            && (k != ServiceLineKey || serviceSeparate);
        if (charged) {
            row[GCharges].addProduct(line.Tanka, line.Suryou);
            total[GCharges].addProduct(line.Tanka, line.Suryou);
            if (isCommonCharge(k))
                billCommon.addProduct(line.Tanka, line.Suryou);
            else if (std::binary_search(reduced.begin(), reduced.end(), k))
                billReduced.addProduct(line.Tanka, line.Suryou);
        }

        if (i + 1 == n || lines[i + 1].MeiNo != line.MeiNo) {
            // Bill end: the charges since the day's previous bill end are
            // taxed, at the rates in force on the settlement day.
            const int64_t charges = checked.minus(row[GCharges].value(), row[Carried].value());
            const int64_t standard = checked.minus(checked.minus(charges, billReduced.value()), billCommon.value());
            checked.overflow |= billReduced.overflowed() || billCommon.overflowed() || billBathing.overflowed();
            const TRatesInForce rates = data.Money.at(month.date(d), base);
            // As the bill computes it: a bathing tax the prices include is no sale of the inn's.
            const int64_t notTaxed = bathingSeparate ? 0 : -billBathing.value();
            int64_t tax = 0;
            for (const TTaxShare &t :
                 checked.tax(standard, billReduced.value(), billCommon.value(), notTaxed, rates, taxAdded)) {
                tax = checked.plus(tax, t.Tax);
                TTaxShare &sum = rateTotals.try_emplace({t.Rate, t.Reduced}, TTaxShare{t.Rate, t.Reduced}).first->second;
                sum.Base = checked.plus(sum.Base, t.Base);
                sum.Tax = checked.plus(sum.Tax, t.Tax);
            }
            billReduced = MonthSum();
            billCommon = MonthSum();
            billBathing = MonthSum();
            row[GTax].add(tax);
            total[GTax].add(tax);
            settle(row);
            settle(total);
            setCell(row[Carried], row[GCharges].value());
        }
    }

    MonthGrid grid;
    std::vector<int> rates;
    for (const auto &[key, share] : rateTotals)
        if (std::find(rates.begin(), rates.end(), share.Rate) == rates.end())
            rates.push_back(share.Rate);
    if (rates.empty()) // a month without bills names the rate of its first day
        rates.push_back(data.Money.at(month.date(1), base).Standard);
    grid.headings = getujiHeadings(base, rates);
    if (byRate) {
        // Standard rate first, then the lower ones.
        byRate->clear();
        for (const auto &[key, share] : rateTotals)
            byRate->push_back(share);
        std::sort(byRate->begin(), byRate->end(), [](const TTaxShare &a, const TTaxShare &b) {
            return a.Reduced != b.Reduced ? !a.Reduced : a.Rate > b.Rate;
        });
    }
    // A month of two rates cannot name one in its heading: its taxable
    // sales and tax per rate go below the totals, rates merged by value.
    std::vector<TTaxShare> breakdown;
    if (rates.size() > 1)
        for (const auto &entry : rateTotals) {
            const TTaxShare &share = entry.second; // named: clang 14 cannot capture a structured binding
            auto same = std::find_if(breakdown.begin(), breakdown.end(),
                                     [&](const TTaxShare &t) { return t.Rate == share.Rate; });
            if (same == breakdown.end()) {
                breakdown.push_back(share);
                continue;
            }
            same->Base = checked.plus(same->Base, share.Base);
            same->Tax = checked.plus(same->Tax, share.Tax);
        }
    std::sort(breakdown.begin(), breakdown.end(), [](const TTaxShare &a, const TTaxShare &b) { return a.Rate > b.Rate; });
    if (carried)
        carried->clear();
    bool overflow = checked.overflow;
    for (const Row &row : cells)
        for (const MonthSum &c : row)
            overflow |= c.overflowed();
    if (overflow) {
        grid.error = MonthSum::overflowMessage(month);
        return grid;
    }
    grid.rows.reserve(DayRows + 1 + breakdown.size());
    for (int r = 0; r <= DayRows; ++r) {
        QStringList row;
        row.reserve(GetujiColumns);
        row << rowLabel(month, r);
        for (int c = 1; c < GetujiColumns; ++c)
            row << cells[r][c].cell();
        grid.rows.push_back(row);
        if (carried)
            *carried << cells[r][Carried].cell();
    }
    for (const TTaxShare &share : breakdown) {
        QStringList row(GetujiColumns);
        row[GDay] = getujiRateLabel(share.Rate);
        row[GCharges] = QString::number(share.Base);
        row[GTax] = QString::number(share.Tax);
        grid.rows.push_back(row);
    }
    // Every money column but 日帰り料金 is shown through a picture.
    blankZeroCells(grid, {GStayAdult, GStayOther, GOption, GService, GDiscount, GCharges, GTax, GBathingTax,
                          GAdvance, GTotal, GDeposit, GCash, GReceivable});
    return grid;
}
