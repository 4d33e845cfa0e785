// The accommodation tax of a bill's stay lines: night by night across a
// change of tiers, the price as the town counts it, and amounts that do not fit.

#include "bill_fixtures.h"
#include "billing/lodging_tax_lines.h"

#include <gtest/gtest.h>

namespace {

// The city of the settings tests: three tiers, then five from 2026/03/01.
TMoneySettings cityMoney(bool includesServiceAndTax = false)
{
    TMoneySettings m;
    m.Lodging.Enabled = true;
    m.Lodging.PriceIncludesServiceAndTax = includesServiceAndTax;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2018/10/01:0=200,20000=500,50000=1000;"
                                                "2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &m.Lodging.Periods),
              QString());
    return m;
}

const QDate BillDate(2026, 3, 2);

TEST(LodgingTaxLines, StayAcrossTheChangeNightByNight)
{
    const RecordList<TReserveData> lines = {
        line(1601001, 8000, 2, "2026/02/28"), // 200 each: the old tiers
        line(1601001, 8000, 2, "2026/03/01"), // 400 each: the new ones
        line(1601003, 5000, 1, "2026/03/01"), // a child under 6,000: 200
        line(1601102, 800, 3, "2026/03/01"),  // beer bears none
        line(1601009, 8000, 1, "2026/03/01"), // nor a pet
        line(1601001, 8000, 1, ""),           // no date: the bill's, 400
    };
    const TLodgingTaxOfLines t = lodgingTaxOfLines(lines, BillDate, 0, settings(1, 1, 1), cityMoney());
    ASSERT_TRUE(t.ok());
    EXPECT_EQ(t.Total, 2 * 200 + 2 * 400 + 200 + 400);
    EXPECT_EQ(t.PersonsByAmount, (std::map<int64_t, int64_t>{{200, 3}, {400, 3}}));

    TMoneySettings off = cityMoney();
    off.Lodging.Enabled = false;
    const TLodgingTaxOfLines none = lodgingTaxOfLines(lines, BillDate, 0, settings(1, 1, 1), off);
    EXPECT_EQ(none.Total, 0);
    EXPECT_TRUE(none.PersonsByAmount.empty());
}

TEST(LodgingTaxLines, PriceAsTheTownCountsIt)
{
    // Around the 6,000 boundary of 2026/03/01 (200 below, 400 from it), service 10 %, tax 10 %.
    const struct {
        const char *name;
        int unit;
        uint8_t serviceKubun, taxKubun; // 0 included in the price, 1 added
        bool counted;                   // the town counts service and tax in the price
        int64_t price;
        int64_t perNight;
    } cases[] = {
        {"both added, counted", 5000, 1, 1, true, 6050, 400},
        {"both added, not counted", 5000, 1, 1, false, 5000, 200},
        {"both included, counted", 6600, 0, 0, true, 6600, 400},
        {"both included, not counted", 6600, 0, 0, false, 5454, 200},
        {"service added, tax included, counted", 5500, 1, 0, true, 6050, 400},
        {"service added, tax included, not counted", 6600, 1, 0, false, 6000, 400},
    };
    for (const auto &c : cases) {
        const TBaseData base = settings(c.serviceKubun, 1, c.taxKubun);
        EXPECT_EQ(lodgingTierPrice(c.unit, 10, 10, base, c.counted), c.price) << c.name;
        const TLodgingTaxOfLines t = lodgingTaxOfLines({line(1601001, c.unit, 1, "2026/03/01")}, BillDate, 10, base,
                                                       cityMoney(c.counted));
        EXPECT_EQ(t.Total, c.perNight) << c.name;
    }
}

TEST(LodgingTaxLines, TaxBeyondAnAmountIsRefusedNotWrapped)
{
    const RecordList<TReserveData> lines = {
        line(1601001, 200000, 1, "2026/03/01"),
        line(1601001, 200000, 300000, "2026/03/01"), // 10,000 x 300,000 = 3,000,000,000
    };
    const TLodgingTaxOfLines t = lodgingTaxOfLines(lines, BillDate, 0, settings(1, 1, 1), cityMoney());
    EXPECT_FALSE(t.ok());
    EXPECT_EQ(t.badLine, 1);
}

} // namespace
