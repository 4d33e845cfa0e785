#include "reports/receivables.h"

#include "reports/getuji.h"

#include "month_data.h"

#include <gtest/gtest.h>

namespace {
MonthGrid march2008(const AppData &d)
{
    return receivablesMonth(d, ReportMonth(2008, 3));
}
QStringList totals(const char *sum) { return {QStringLiteral("合計"), "", "", "", sum}; }
} // namespace

// The total of 0 is blank, as the window shows it.
TEST(Receivables, EmptyMonthHasOnlyABlankTotalsRow)
{
    AppData d = monthData();
    d.UrikakeList.push_back(cardEntry(1, "2008/04/01", 101001, 5000));
    const MonthGrid g = march2008(d);
    EXPECT_TRUE(g.error.isEmpty());
    EXPECT_EQ(g.headings, QStringList({"日", "請求番号", "使用者", "売掛種別", "金額"}));
    ASSERT_EQ(g.rows.size(), 1u);
    EXPECT_EQ(g.rows[0], totals(""));
}

TEST(Receivables, CardsAndCouponsByDayWithTheirTexts)
{
    AppData d = monthData();
    // A card payment on the 5th, a coupon on the 3rd, and both for one bill on the 10th.
    d.UrikakeList.push_back(cardEntry(101, "2008/03/05", 101002, 12000, "山田"));
    d.UrikakeList.push_back(cardEntry(103, "2008/03/10", 101001, 3000, "佐藤"));
    d.ReserveList.push_back(reserveLine({102, "2008/03/03", 1601001, 9000, 1, "大人", "鈴木"}));
    d.ReserveList.push_back(reserveLine({102, "2008/03/03", 102001, 5000, 2, "クーポン", "鈴木"}));
    d.ReserveList.push_back(reserveLine({103, "2008/03/10", 102002, 4000, 1, "楽天事前決済", "佐藤"}));
    d.ReserveList.push_back(reserveLine({104, "2008/04/01", 102001, 7000, 1, "クーポン", "翌月"}));

    const MonthGrid g = march2008(d);
    ASSERT_TRUE(g.error.isEmpty());
    const std::vector<QStringList> expected = {
        // A coupon lists its unit price alone, whatever its quantity.
        {"03(月)", "102", "鈴木", "クーポン", "5000"},
        {"05(水)", "101", "山田", "VISA", "12000"},
        // Card entries come before coupons within a day, each in list order.
        {"10(月)", "103", "佐藤", "JCB", "3000"},
        {"10(月)", "103", "佐藤", "楽天事前決済", "4000"},
        totals("24000"),
    };
    EXPECT_EQ(g.rows, expected);
}

TEST(Receivables, UnknownCardKindShowsEmptyAndStillCounts)
{
    AppData d = monthData();
    d.UrikakeList.push_back(cardEntry(1, "2008/03/05", 101099, 800));   // no 99th card company
    d.UrikakeList.push_back(cardEntry(2, "2008/03/05", 1601001, 200));  // not a card key at all
    const MonthGrid g = march2008(d);
    ASSERT_EQ(g.rows.size(), 3u);
    EXPECT_EQ(g.rows[0][3], QString());
    EXPECT_EQ(g.rows[1][3], QString());
    EXPECT_EQ(g.rows[2], totals("1000"));
}

TEST(Receivables, OnlyValidSettlementDatesOfTheMonthCount)
{
    AppData d = monthData();
    for (const char *date : {"", "2008/03/32", "2008/3/05", "2008/03/5", "2008/02/29", "2008/03/31"})
        d.UrikakeList.push_back(cardEntry(1, date, 101001, 100));
    const MonthGrid g = march2008(d);
    ASSERT_EQ(g.rows.size(), 2u);
    EXPECT_EQ(g.rows[0][0], QStringLiteral("31(月)"));
    EXPECT_EQ(g.rows[1], totals("100"));
}

TEST(Receivables, LargeBillNumbersAndNegativeAmounts)
{
    AppData d = monthData();
    d.UrikakeList.push_back(cardEntry(4000000000u, "2008/03/01", 101001, -500));
    const MonthGrid g = march2008(d);
    ASSERT_EQ(g.rows.size(), 2u);
    EXPECT_EQ(g.rows[0][1], QStringLiteral("4000000000"));
    EXPECT_EQ(g.rows[1], totals("-500"));
}

TEST(Receivables, TotalBeyondThirtyTwoBitsIsKept)
{
    AppData d = monthData();
    for (int i = 0; i < 3; ++i)
        d.UrikakeList.push_back(cardEntry(1, "2008/03/01", 101001, INT32_MAX));
    const MonthGrid g = march2008(d);
    EXPECT_EQ(g.rows.back()[4], QStringLiteral("6442450941"));
}

TEST(Receivables, TotalEqualsTheSalesReportsReceivablesTotal)
{
    AppData d = monthData();
    d.BaseData.TaxKubun = 1;
    d.BaseData.Nyutou_Kubun = 1;
    d.BaseData.ServiceKubun = 1;
    // Cards and coupons (quantity 1) across the month, a bill settled in April
    // for the night of 31 March, and an open bill: only settled March bills count.
    d.ReserveList.push_back(reserveLine({1, "2008/03/02", 1601001, 10000, 2, "", "", "2008/03/01"}));
    d.ReserveList.push_back(reserveLine({1, "2008/03/02", 102001, 5000, 1, "クーポン", "", "2008/03/01"}));
    d.ReserveList.push_back(reserveLine({2, "2008/03/15", 1601001, 9000, 1, "", "", "2008/03/14"}));
    d.ReserveList.push_back(reserveLine({2, "2008/03/15", 102002, 3000, 1, "楽天事前決済", "", "2008/03/14"}));
    d.ReserveList.push_back(reserveLine({3, "2008/04/01", 102001, 7000, 1, "クーポン", "", "2008/03/31"}));
    d.ReserveList.push_back(reserveLine({4, "", 102001, 2000, 1, "クーポン", "", "2008/03/20"}));
    d.UrikakeList.push_back(cardEntry(1, "2008/03/02", 101001, 16600));
    d.UrikakeList.push_back(cardEntry(2, "2008/03/15", 101003, 6720));
    d.UrikakeList.push_back(cardEntry(3, "2008/04/01", 101002, 1000));

    const MonthGrid receivables = march2008(d);
    const MonthGrid sales = getujiMonth(d, ReportMonth(2008, 3));
    ASSERT_TRUE(receivables.error.isEmpty());
    ASSERT_TRUE(sales.error.isEmpty());
    EXPECT_EQ(receivables.rows.back()[4], QStringLiteral("31320"));
    EXPECT_EQ(receivables.rows.back()[4], sales.rows.back()[GReceivable]);
}
