// The accommodation tax of a bill's stay lines: night by night across a
// change of tiers, the price as the town counts it, and amounts that do not fit.

#include "bill_fixtures.h"
#include "billing/lodging_tax_lines.h"

#include <gtest/gtest.h>

namespace {

const QDate BillDate(2026, 3, 2);

// The city of the settings tests: three tiers, then five from 2026/03/01.
TMoneySettings cityMoney(LodgingBasis basis = LodgingBasis::Room)
{
    TMoneySettings m;
    m.Lodging.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2018/10/01:0=200,20000=500,50000=1000;"
                                                "2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &m.Lodging.Periods),
              QString());
    for (TLodgingPeriod &p : m.Lodging.Periods)
        p.Basis = basis;
    return m;
}

// Tokyo's tiers: nothing under 10,000, 100 up to 14,999, 200 from 15,000.
TMoneySettings tokyoMoney(LodgingBasis basis)
{
    TMoneySettings m;
    m.Lodging.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2002/10/01:0=0,10000=100,15000=200"), &m.Lodging.Periods), QString());
    m.Lodging.Periods[0].Basis = basis;
    return m;
}

int64_t taxOfOne(const TReserveData &l, int serviceRate, const TBaseData &base, const TMoneySettings &money)
{
    const TLodgingTaxOfLines t = lodgingTaxOfLines({l}, BillDate, serviceRate, base, money);
    EXPECT_TRUE(t.ok());
    return t.Total;
}


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
    using B = LodgingBasis;
    const struct {
        const char *name;
        int unit;
        uint8_t serviceKubun, taxKubun; // 0 included in the price, 1 added
        LodgingBasis basis;
        int64_t num, den; // the exact price
        int64_t perNight;
    } cases[] = {
        {"both added, room + service + tax", 5000, 1, 1, B::RoomServiceTax, 5000 * 110 * 110, 100 * 100, 400}, // 6,050
        {"both added, room + service", 5000, 1, 1, B::RoomService, 5000 * 110, 100, 200},                      // 5,500
        {"both added, room", 5000, 1, 1, B::Room, 5000, 1, 200},
        {"both included, room + service + tax", 6600, 0, 0, B::RoomServiceTax, 6600, 1, 400},
        {"both included, room + service", 6600, 0, 0, B::RoomService, 6600 * 100, 110, 400},        // 6,000
        {"both included, room", 6600, 0, 0, B::Room, 6600 * 100 * 100, 110 * 110, 200},            // 5,454.5
        {"service added, tax included, room + service + tax", 5500, 1, 0, B::RoomServiceTax, 5500 * 110, 100, 400},
        {"service added, tax included, room", 6600, 1, 0, B::Room, 6600 * 100, 110, 400},          // 6,000
    };
    for (const auto &c : cases) {
        const TBaseData base = settings(c.serviceKubun, 1, c.taxKubun);
        const TLodgingPrice p = lodgingTierPrice(c.unit, 0, 10, 10, base, c.basis);
        EXPECT_EQ(p.Num * c.den, c.num * p.Den) << c.name;
        EXPECT_EQ(taxOfOne(line(1601001, c.unit, 1, "2026/03/01"), 10, base, cityMoney(c.basis)), c.perNight) << c.name;
    }
}

// Rooms priced without service and tax, both added at 10 %, one yen either
// side of each border as each basis counts the price:
// room + service = room x 1.1, room + service + tax = room x 1.21.
TEST(LodgingTaxLines, ThreeBasesAroundKyotoAndTokyoBorders)
{
    const TBaseData base = settings(1, 1, 1);
    const struct {
        const char *name;
        bool kyoto;
        int room;
        int64_t roomAlone, withService, withServiceAndTax;
    } cases[] = {
        // Kyoto from 2026/03/01: 200, 400 from 6,000, 1,000 from 20,000, 4,000 from 50,000, 10,000 from 100,000.
        {"5,999.4 / 6,599.34", true, 5454, 200, 200, 400},
        {"6,000.5", true, 5455, 200, 400, 400},
        {"5,999.18 with tax", true, 4958, 200, 200, 200},
        {"6,000.39 with tax", true, 4959, 200, 200, 400},
        {"room alone at 5,999", true, 5999, 200, 400, 400},
        {"room alone at 6,000", true, 6000, 400, 400, 400},
        {"19,999.1 / 21,999.01", true, 18181, 400, 400, 1000},
        {"20,000.2", true, 18182, 400, 1000, 1000},
        {"49,999.4 / 54,999.34", true, 45454, 1000, 1000, 4000},
        {"50,000.5", true, 45455, 1000, 4000, 4000},
        {"99,999.9 / 109,999.89", true, 90909, 4000, 4000, 10000},
        {"100,001", true, 90910, 4000, 10000, 10000},
        // Tokyo: nothing under 10,000, 100 from 10,000, 200 from 15,000.
        {"9,999 / 10,998.9", false, 9090, 0, 0, 100},
        {"10,000.1", false, 9091, 0, 100, 100},
        {"14,999.6 / 16,499.56", false, 13636, 100, 100, 200},
        {"15,000.7", false, 13637, 100, 200, 200},
    };
    using B = LodgingBasis;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TReserveData l = line(1601001, c.room, 1, "2026/03/01");
        const auto money = [&](B basis) { return c.kyoto ? cityMoney(basis) : tokyoMoney(basis); };
        EXPECT_EQ(taxOfOne(l, 10, base, money(B::Room)), c.roomAlone);
        EXPECT_EQ(taxOfOne(l, 10, base, money(B::RoomService)), c.withService);
        EXPECT_EQ(taxOfOne(l, 10, base, money(B::RoomServiceTax)), c.withServiceAndTax);
    }
}

// Prices with the tax in them, one yen under each border: the price without
// tax is compared exactly (6,599 / 1.1 = 5,999.09 is under 6,000), never
// rounded up to the border first.
TEST(LodgingTaxLines, TaxIncludedPriceOneYenUnderABorderStaysBelowIt)
{
    const TBaseData base = settings(1, 1, 0); // tax included in the price, no service charged
    const struct {
        int price;
        int64_t perNight;
    } cases[] = {{6599, 200}, {6600, 400}, {21999, 400}, {22000, 1000},
                 {54999, 1000}, {55000, 4000}, {109999, 4000}, {110000, 10000}};
    for (const auto &c : cases)
        EXPECT_EQ(taxOfOne(line(1601001, c.price, 1, "2026/03/01"), 0, base, cityMoney(LodgingBasis::RoomService)),
                  c.perNight)
            << c.price;
    // A percentage of the exact price: 3 % of 10,999 / 1.1 = 299.97, cut to 299.
    TMoneySettings town;
    town.Lodging.Enabled = true;
    ASSERT_EQ(readLodgingPeriods(QStringLiteral("2024/04/01:0=2%;2026/03/01:0=3%"), &town.Lodging.Periods), QString());
    EXPECT_EQ(taxOfOne(line(1601001, 10999, 1, "2026/03/01"), 0, base, town), 299);
    EXPECT_EQ(taxOfOne(line(1601001, 11000, 1, "2026/03/01"), 0, base, town), 300);
    EXPECT_EQ(taxOfOne(line(1601001, 11000, 1, "2026/02/28"), 0, base, town), 200);
}

// Every guest of the accommodation category bears the tax, counted by the
// line's quantity; an item marked as no guest does not.
TEST(LodgingTaxLines, EveryGuestItemOfTheStayCategory)
{
    const TBaseData base = settings(1, 1, 1);
    const RecordList<TReserveData> lines = {
        line(1601013, 8000, 2, "2026/03/01"), // the inn's own stay item: 2 x 400
        line(1601012, 8000, 1, "2026/03/01"), // その他宿泊料金: 400
        line(1601004, 3000, 1, "2026/03/01"), // a charged infant: 200
        line(1601992, 8000, 1, "2026/03/01"), // an adult without bathing tax: 400
        line(1601009, 8000, 1, "2026/03/01"), // a pet: none
        line(1601102, 800, 3, "2026/03/01"),  // beer: none
    };
    TMoneySettings money = cityMoney();
    TLodgingTaxOfLines t = lodgingTaxOfLines(lines, BillDate, 0, base, money);
    EXPECT_EQ(t.Total, 2 * 400 + 400 + 200 + 400);
    EXPECT_EQ(t.PersonsByAmount, (std::map<int64_t, int64_t>{{200, 1}, {400, 4}}));
    // The inn counts its pets as guests, and marks its room charge 1601013 as none.
    money.Lodging.Items = {{1601013, {true, 0}}};
    t = lodgingTaxOfLines(lines, BillDate, 0, base, money);
    EXPECT_EQ(t.Total, 400 + 200 + 400 + 400);
}

// A 1泊2食 plan of 27,500 with 8,800 of meals, prices with tax in them:
// the tier price is (27,500 - 8,800) / 1.1 = 17,000, so 400, not the 1,000 of
// 25,000. The meal part is the item's, or the line's own.
TEST(LodgingTaxLines, MealPartLeftOutOfTheTierPrice)
{
    const TBaseData base = settings(1, 1, 0);
    TMoneySettings money = cityMoney(LodgingBasis::RoomService);
    const TReserveData plan = line(1601013, 27500, 2, "2026/03/01");
    EXPECT_EQ(taxOfOne(plan, 0, base, money), 2 * 1000);
    money.Lodging.Items[1601013] = {false, 8800};
    EXPECT_EQ(taxOfOne(plan, 0, base, money), 2 * 400);
    // The adults' twins without bathing tax take their adult item's meal part.
    money.Lodging.Items[1601001] = {false, 8800};
    EXPECT_EQ(taxOfOne(line(1601991, 27500, 1, "2026/03/01"), 0, base, money), 400);
}

// The line's own meal part stands before its item's, 0 included.
TEST(LodgingTaxLines, ALinesOwnMealPart)
{
    const TBaseData base = settings(1, 1, 0);
    TMoneySettings money = cityMoney(LodgingBasis::RoomService);
    money.Lodging.Items[1601013] = {false, 8800};
    const RecordList<TReserveData> lines = {line(1601013, 27500, 2, "2026/03/01"), line(1601013, 27500, 1, "2026/03/01")};
    const struct {
        std::vector<int32_t> meals;
        int64_t total; // (27,500 - meal) / 1.1: 17,000 -> 400; 25,000 -> 1,000; 22,000 -> 1,000
    } cases[] = {
        {{}, 3 * 400},              // both the item's 8,800
        {{-1, 0}, 2 * 400 + 1000},  // the second without meals: 25,000
        {{3300, -1}, 2 * 1000 + 400}, // the first with 3,300: 24,200 / 1.1 = 22,000
    };
    for (const auto &c : cases)
        EXPECT_EQ(lodgingTaxOfLines(lines, BillDate, 0, base, money, c.meals).Total, c.total) << c.meals.size();
}

// A school trip of two nights: 30 pupils at 8,000 (400 a guest-night) and
// two teachers at 22,000 (1,000). 60 guest-nights exempt for the trip: the
// pupils', charged least; the teachers pay 2 x 2 x 1,000 = 4,000.
TEST(LodgingTaxLines, ASchoolTripWithTwoAdultsThatPay)
{
    const TBaseData base = settings(1, 1, 1);
    const RecordList<TReserveData> lines = {
        line(1601002, 22000, 2, "2026/05/12"), line(1601001, 8000, 30, "2026/05/12"),
        line(1601002, 22000, 2, "2026/05/13"), line(1601001, 8000, 30, "2026/05/13"),
    };
    const struct {
        int64_t exempt;
        int64_t total, exempted;
        std::map<int64_t, int64_t> persons;
    } cases[] = {
        {0, 4 * 1000 + 60 * 400, 0, {{400, 60}, {1000, 4}}},
        {60, 4 * 1000, 60, {{1000, 4}}},
        // One pupil more than the trip has: the first night's teachers go before the second's.
        {61, 3 * 1000, 61, {{1000, 3}}},
        {99, 0, 64, {}},
    };
    for (const auto &c : cases) {
        const TLodgingTaxOfLines t =
            lodgingTaxOfLines(lines, BillDate, 0, base, cityMoney(), {}, {c.exempt, QStringLiteral("修学旅行")});
        EXPECT_EQ(t.Total, c.total) << c.exempt;
        EXPECT_EQ(t.Exempt, c.exempted) << c.exempt;
        EXPECT_EQ(t.PersonsByAmount, c.persons) << c.exempt;
    }
    const std::vector<TLodgingNight> nights =
        lodgingNightsOfLines(lines, {}, BillDate, 0, base, cityMoney(), {61, QString()});
    ASSERT_EQ(nights.size(), 4u);
    EXPECT_EQ(nights[0].Exempt, 1); // 2026/05/12's teachers
    EXPECT_EQ(nights[2].Exempt, 0);
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
