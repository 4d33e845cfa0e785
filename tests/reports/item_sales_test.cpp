#include "reports/item_sales.h"

#include "month_data.h"

#include <gtest/gtest.h>

namespace {
MonthGrid march2008(const AppData &d, int category)
{
    return itemSalesMonth(d, ReportMonth(2008, 3), category);
}

THojoKamoku entry(uint32_t code, uint32_t number, const char *name)
{
    THojoKamoku k{};
    k.KamokuCode = code;
    k.HojoCode = number;
    setFieldText(k.Tekiyo, QString::fromUtf8(name));
    return k;
}
} // namespace

TEST(ItemSales, NamedOptionsListedWithTheirSales)
{
    AppData d = monthData();
    d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601102, 500, 2}));  // ビール
    d.ReserveList.push_back(reserveLine({2, "2008/03/20", 1601102, 500, 3}));
    d.ReserveList.push_back(reserveLine({2, "2008/03/20", 1601105, 250, 0}));  // counted, though 0
    d.ReserveList.push_back(reserveLine({3, "2008/04/01", 1601102, 500, 9, "", "", "2008/03/31"})); // April
    d.ReserveList.push_back(reserveLine({4, "2008/03/20", 1601001, 9000, 2})); // another category
    const MonthGrid g = march2008(d, 1);
    ASSERT_TRUE(g.error.isEmpty());
    EXPECT_EQ(g.headings, QStringList({"科目コード", "項目", "数量", "金額"}));
    const std::vector<QStringList> expected = {
        {"1601101", "追加料理等オプション", "", ""},
        {"1601102", "ビール", "5", "2500"},
        {"1601103", "日本酒(1合)", "", ""},
        {"1601104", "ワイン", "", ""},
        {"1601105", "ジュース", "", ""}, // sums of 0 are blank, as the window shows them
        {"1601106", "その他オプション", "", ""},
        {"", "合計", "5", "2500"},
    };
    EXPECT_EQ(g.rows, expected);
}

TEST(ItemSales, MonthWithoutBillsListsEveryNamedItemAndEmptyTotals)
{
    AppData d = monthData();
    const MonthGrid g = march2008(d, 2);
    ASSERT_EQ(g.rows.size(), 6u); // five day-use items, no blank entries
    EXPECT_EQ(g.rows[0], QStringList({"1601801", "大人日帰り利用料金", "", ""}));
    EXPECT_EQ(g.rows.back(), QStringList({"", "合計", "", ""}));
}

TEST(ItemSales, BlankEntriesAreNotListedAndTheirKeysNotCounted)
{
    AppData d = monthData();
    d.KamokuList[1] = {entry(1601, 101, "夕食追加"), entry(1601, 102, ""), entry(1601, 103, "地酒")};
    d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601102, 800, 1}));
    d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601103, 1200, 1}));
    const MonthGrid g = march2008(d, 1);
    const std::vector<QStringList> expected = {
        {"1601101", "夕食追加", "", ""},
        {"1601103", "地酒", "1", "1200"},
        {"", "合計", "1", "1200"},
    };
    EXPECT_EQ(g.rows, expected);
}

TEST(ItemSales, MatchesByKeyOnlyAndTheFirstEntryOfAKeyTakesIt)
{
    AppData d = monthData();
    // Reordered master: the line made as 1601101 counts under whoever holds 1601101 now.
    d.KamokuList[1] = {entry(1601, 102, "二番"), entry(1601, 101, "一番"), entry(1601, 101, "重複")};
    d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601101, 1000, 1, "当時の名前"}));
    // Bathing-tax-off accommodation keys belong to no listed item.
    d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601991, 9000, 2}));
    const MonthGrid g = march2008(d, 1);
    const std::vector<QStringList> expected = {
        {"1601102", "二番", "", ""},
        {"1601101", "一番", "1", "1000"},
        {"1601101", "重複", "", ""},
        {"", "合計", "1", "1000"},
    };
    EXPECT_EQ(g.rows, expected);
    const MonthGrid stay = march2008(d, 0);
    EXPECT_EQ(stay.rows.back(), QStringList({"", "合計", "", ""}));
}

TEST(ItemSales, SumsThatCannotBeHeldAreReportedNotWrapped)
{
    AppData d = monthData();
    // Each line is 2^62 yen; two of them pass the 64-bit range.
    for (int i = 0; i < 2; ++i)
        d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601102, INT32_MIN, INT32_MIN}));
    const MonthGrid g = march2008(d, 1);
    EXPECT_FALSE(g.error.isEmpty());
    EXPECT_TRUE(g.rows.empty());
    EXPECT_TRUE(g.error.contains(QStringLiteral("2008年03月分")));
}

TEST(ItemSales, LargeButHoldableSumsAreExact)
{
    AppData d = monthData();
    for (int i = 0; i < 3; ++i)
        d.ReserveList.push_back(reserveLine({1, "2008/03/05", 1601102, INT32_MAX, 2}));
    const MonthGrid g = march2008(d, 1);
    ASSERT_TRUE(g.error.isEmpty());
    EXPECT_EQ(g.rows.back(), QStringList({"", "合計", "6", "12884901882"}));
}

TEST(ItemSales, CategoryOutsideTheThreeAndImpossibleMonthsAreRefused)
{
    AppData d = monthData();
    EXPECT_FALSE(march2008(d, 3).error.isEmpty());
    EXPECT_FALSE(march2008(d, -1).error.isEmpty());
    EXPECT_FALSE(itemSalesMonth(d, ReportMonth(2008, 13), 1).error.isEmpty());
    EXPECT_EQ(itemSalesCategoryNames(), QStringList({"宿泊費明細", "オプション明細", "日帰り明細"}));
}
