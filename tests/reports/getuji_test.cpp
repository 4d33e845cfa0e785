#include "reports/getuji.h"
#include "report_fixtures.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Row index of day d below the headings; the totals row is 31.
int day(int d) { return d - 1; }
constexpr int Totals = 31;

TEST(Getuji, EmptyMonthHasDayLabelsTotalsAndEmptyCells)
{
    const MonthGrid g = sales({}, {}, reportSettings(), 2008, 3);
    ASSERT_TRUE(g.error.isEmpty());
    ASSERT_EQ(g.headings.size(), 15);
    ASSERT_EQ(g.rows.size(), 32u);
    EXPECT_EQ(cell(g, day(1), GDay), QStringLiteral("1(土)"));
    EXPECT_EQ(cell(g, Totals, GDay), QStringLiteral("合計"));
    for (const QStringList &row : g.rows) {
        ASSERT_EQ(row.size(), 15);
        for (int c = 1; c < 15; ++c)
            EXPECT_TRUE(row[c].isEmpty());
    }
}

TEST(Getuji, FebruaryOfACommonYearLeavesThreeBlankRows)
{
    const MonthGrid g = sales({}, {}, reportSettings(), 2007, 2);
    EXPECT_EQ(cell(g, day(28), GDay), QStringLiteral("28(水)"));
    for (int d : {29, 30, 31})
        EXPECT_TRUE(cell(g, day(d), GDay).isEmpty());
    EXPECT_EQ(cell(sales({}, {}, reportSettings(), 2008, 2), day(29), GDay), QStringLiteral("29(金)"));
}

TEST(Getuji, HeadingsFollowTheSettings)
{
    QStringList h = getujiHeadings(reportSettings(0, 0, 0), {8});
    EXPECT_EQ(h[GService], QStringLiteral("内サービス料"));
    EXPECT_EQ(h[GTax], QStringLiteral("内消費税8%"));
    EXPECT_EQ(h[GBathingTax], QStringLiteral("内入湯税"));
    h = getujiHeadings(reportSettings(1, 1, 1), {8});
    EXPECT_EQ(h[GService], QStringLiteral("サービス料"));
    EXPECT_EQ(h[GTax], QStringLiteral("消費税8%"));
    // A month of two rates names none.
    EXPECT_EQ(getujiHeadings(reportSettings(1, 1, 1), {10, 8})[GTax], QStringLiteral("消費税"));
    EXPECT_EQ(getujiHeadings(reportSettings(1, 1, 1), {10})[GTax], QStringLiteral("消費税10%"));
    EXPECT_EQ(h[GBathingTax], QStringLiteral("入湯税"));
    EXPECT_EQ(h[GStayOther], QStringLiteral("宿泊料金(子供他)"));
    EXPECT_EQ(h[GTotal], QStringLiteral("ご利用額合計"));
}

TEST(Getuji, BillCountsOnItsSettlementDay)
{
    const auto lines = lineList({billLine(1, "2008/04/01", "2008/03/31", 1601001, 10000, 1)});
    const MonthGrid april = sales(lines, {}, reportSettings(), 2008, 4);
    EXPECT_EQ(cell(april, day(1), GStayAdult), "10000");
    EXPECT_EQ(cell(april, Totals, GStayAdult), "10000");
    const MonthGrid march = sales(lines, {}, reportSettings(), 2008, 3);
    EXPECT_TRUE(cell(march, day(31), GStayAdult).isEmpty());
    EXPECT_TRUE(cell(march, Totals, GStayAdult).isEmpty());
}

TEST(Getuji, ConsumptionTaxPerBill)
{
    struct Case { uint8_t taxKubun; int32_t charges; const char *tax; };
    const Case cases[] = {
        {1, 1012, "81"}, {1, 1001, "80"}, {1, 1250, "100"},
        {1, 0, ""}, // a tax of 0 is blank, as the window shows it

        {0, 10800, "800"}, {0, 10799, "799"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.charges);
        const auto lines = lineList({billLine(1, "2008/03/02", "2008/03/01", 1601101, c.charges, 1)});
        const MonthGrid g = sales(lines, {}, reportSettings(1, 1, c.taxKubun), 2008, 3);
        EXPECT_EQ(cell(g, day(2), GTax), c.tax);
        EXPECT_EQ(cell(g, Totals, GTax), c.tax);
    }
    // Two bills of 1,012 on one day are taxed one by one: 81 + 81, not 162 (of 2,024).
    const auto two = lineList({billLine(1, "2008/03/02", "2008/03/01", 1601101, 1012, 1),
                               billLine(2, "2008/03/02", "2008/03/01", 1601101, 1012, 1)});
    EXPECT_EQ(cell(sales(two, {}, reportSettings(), 2008, 3), day(2), GTax), "162");
}

TEST(Getuji, ColumnsOfEachKindOfLine)
{
    // One bill on the 3rd with one line of each kind; tax added, bathing tax
    // and service charge separate.
    const auto lines = lineList({
        billLine(5, "2008/03/03", "2008/03/02", 1601001, 10000, 2), // adults: 20000, bathing 300
        billLine(5, "2008/03/03", "2008/03/02", 1601003, 5000, 1),  // child
        billLine(5, "2008/03/03", "2008/03/02", 1601801, 1000, 1),  // day use: bathing 100
        billLine(5, "2008/03/03", "2008/03/02", 1601101, 3000, 1),  // option
        billLine(5, "2008/03/03", "2008/03/02", 1601991, 4000, 1),  // adult without bathing tax
        billLine(5, "2008/03/03", "2008/03/02", 1601993, 500, 1),   // day use without bathing tax
        billLine(5, "2008/03/03", "2008/03/02", 1601990, 2000, 1),  // service charge
        billLine(5, "2008/03/03", "2008/03/02", 1602001, -1500, 1), // discount
        billLine(5, "2008/03/03", "2008/03/02", 1106001, 700, 1),   // advance
        billLine(5, "2008/03/03", "2008/03/02", 1105001, -5000, 1), // deposit
        billLine(5, "2008/03/03", "2008/03/02", 102001, 3000, 1),   // coupon
    });
    const MonthGrid g = sales(lines, receivableList({receivable(5, "2008/03/03", 101001, 12000)}),
                                    reportSettings(1, 1, 1), 2008, 3);
    const QStringList expected = {
        QStringLiteral("3(月)"), "24000", "5000", "1500", "3000", "2000", "-1500",
        "34000", // charges: 20000+5000+1000+3000+4000+500+2000-1500
        "2720",  // (8 * 34000 + 90) / 100
        "400", "700",
        "37820", // 34000 + 700 + 2720 + 400
        "-5000",
        "27820", // 37820 + 5000 - (12000 + 3000)
        "15000"};
    EXPECT_EQ(g.rows[day(3)], expected);
    QStringList totals = expected;
    totals[0] = QStringLiteral("合計");
    EXPECT_EQ(g.rows[Totals], totals);
}

TEST(Getuji, SettingsDecideServiceChargeAndTotalOfUse)
{
    const auto lines = lineList({
        billLine(1, "2008/03/04", "2008/03/03", 1601001, 10800, 2), // 21600, bathing 300
        billLine(1, "2008/03/04", "2008/03/03", 1601990, 2160, 1),
    });
    struct Case {
        const char *name;
        TBaseData base;
        const char *charges, *tax, *bathing, *total;
    };
    const Case cases[] = {
        // Service included: the service line is shown but not charged again.
        // A bathing tax the prices include is out of the tax base, as on the
        // bill: 8 x (21600 - 300) / 108 = 1577.8.
        {"all included", reportSettings(0, 0, 0), "21600", "1577", "300", "21600"},
        {"service separate", reportSettings(1, 0, 0), "23760", "1737", "300", "23760"}, // 8 x 23460 / 108
        // The bathing tax is counted either way; only a separate one adds to the total of use.
        {"bathing separate", reportSettings(0, 1, 0), "21600", "1600", "300", "21900"},
        {"tax added", reportSettings(0, 0, 1), "21600", "1704", "300", "23304"}, // 21300 x 0.08 + 0.9
        {"all separate", reportSettings(1, 1, 1), "23760", "1901", "300", "25961"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const MonthGrid g = sales(lines, {}, c.base, 2008, 3);
        EXPECT_EQ(cell(g, day(4), GService), "2160");
        EXPECT_EQ(cell(g, day(4), GCharges), c.charges);
        EXPECT_EQ(cell(g, day(4), GTax), c.tax);
        EXPECT_EQ(cell(g, day(4), GBathingTax), c.bathing);
        EXPECT_EQ(cell(g, day(4), GTotal), c.total);
        EXPECT_EQ(cell(g, day(4), GCash), c.total);
    }
}

TEST(Getuji, UndatedLineExcludesTheRestOfItsBill)
{
    // Bill 1's last line has no date: its two dated lines stay counted but
    // the bill gets no bill end; bill 2 of the same day then taxes both.
    const auto lines = lineList({
        billLine(1, "2008/03/06", "2008/03/05", 1601101, 1000, 1),
        billLine(1, "2008/03/06", "2008/03/05", 1601101, 500, 1),
        billLine(1, "2008/03/06", "", 1601101, 9999, 1),
        billLine(2, "2008/03/06", "2008/03/05", 1601101, 1000, 1),
        billLine(3, "2008/03/07", "2008/03/05", 1601101, 1000, 1),
        billLine(3, "2008/03/07", "", 1601101, 9999, 1),
        billLine(3, "2008/03/07", "2008/03/06", 1601101, 9999, 1), // after the undated line: left out
    });
    QStringList carried;
    const MonthGrid g = sales(lines, {}, reportSettings(), 2008, 3, &carried);
    EXPECT_EQ(cell(g, day(6), GOption), "2500");
    EXPECT_EQ(cell(g, day(6), GCharges), "2500");
    EXPECT_EQ(cell(g, day(6), GTax), "200"); // (8 * 2500 + 90) / 100
    EXPECT_EQ(cell(g, day(6), GTotal), "2700");
    EXPECT_EQ(carried[day(6)], "2500");
    // Bill 3 is the only one on the 7th: counted, never taxed.
    EXPECT_EQ(cell(g, day(7), GOption), "1000");
    EXPECT_EQ(cell(g, day(7), GCharges), "1000");
    EXPECT_TRUE(cell(g, day(7), GTax).isEmpty());
    EXPECT_TRUE(cell(g, day(7), GTotal).isEmpty());
    EXPECT_TRUE(cell(g, day(7), GCash).isEmpty());
    EXPECT_TRUE(carried[day(7)].isEmpty());
    EXPECT_EQ(cell(g, Totals, GCharges), "3500");
    EXPECT_EQ(cell(g, Totals, GTax), "200");
    // The totals row's total of use is from its own cells at the last bill
    // end, before bill 3 added its charges.
    EXPECT_EQ(cell(g, Totals, GTotal), "2700");
}

TEST(Getuji, CardEntryOfAnExcludedBillCountsAndCashWaitsForABillEnd)
{
    const auto lines = lineList({
        billLine(1, "2008/03/08", "", 1601001, 10000, 1),
        billLine(2, "2008/03/09", "", 1601001, 10000, 1),
        billLine(3, "2008/03/09", "2008/03/08", 1601101, 2000, 1),
    });
    const auto cards = receivableList({receivable(1, "2008/03/08", 101001, 10800),
                                       receivable(2, "2008/03/09", 101002, 10800)});
    const MonthGrid g = sales(lines, cards, reportSettings(), 2008, 3);
    EXPECT_EQ(cell(g, day(8), GReceivable), "10800");
    EXPECT_TRUE(cell(g, day(8), GCash).isEmpty());
    EXPECT_EQ(cell(g, day(9), GReceivable), "10800");
    EXPECT_EQ(cell(g, day(9), GTotal), "2160");
    EXPECT_EQ(cell(g, day(9), GCash), "-8640");
    EXPECT_EQ(cell(g, Totals, GReceivable), "21600");
    EXPECT_EQ(cell(g, Totals, GCash), "-19440"); // 2160 - 21600
}

TEST(Getuji, OnlyValidDatesOfTheMonthCount)
{
    const auto lines = lineList({
        billLine(1, "2007/02/29", "2007/02/28", 1601101, 1000, 1),
        billLine(2, "2007/02/28", "2007/02/28", 1601101, 3000, 1),
        billLine(3, "", "2007/02/28", 1601101, 5000, 1), // open bill: not sales
    });
    const auto cards = receivableList({receivable(1, "2007/02/30", 101001, 1000)});
    const MonthGrid g = sales(lines, cards, reportSettings(), 2007, 2);
    EXPECT_EQ(cell(g, Totals, GOption), "3000");
    EXPECT_TRUE(cell(g, Totals, GReceivable).isEmpty());
}

TEST(Getuji, SumsBeyondRangeAreReportedNotWrapped)
{
    // Charges of 2^31 x 2^31 yen fit in a sum but not in the tax computation.
    RecordList<TReserveData> lines;
    lines.push_back(billLine(1, "2008/03/01", "2008/03/01", 1601101, INT32_MAX, INT32_MAX));
    MonthGrid g = sales(lines, {}, reportSettings(), 2008, 3);
    EXPECT_FALSE(g.error.isEmpty());
    EXPECT_TRUE(g.rows.empty());
    // Large but computable: a thousand bills of 2^31 x 1000 yen each.
    lines.clear();
    for (uint32_t i = 1; i <= 1000; ++i)
        lines.push_back(billLine(i, "2008/03/01", "2008/03/01", 1601101, INT32_MAX, 1000));
    g = sales(lines, {}, reportSettings(), 2008, 3);
    ASSERT_TRUE(g.error.isEmpty());
    EXPECT_EQ(cell(g, Totals, GOption), QString::number(int64_t(INT32_MAX) * 1000 * 1000));
}

} // namespace
