#include "reports/nyutouzei.h"
#include "report_fixtures.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

enum { Day, Stay, StayTax, DayUse, DayUseTax, Under12, Other, Exempt };

TEST(Nyutouzei, EmptyMonthHasDayLabelsTotalsAndEmptyCells)
{
    const MonthGrid g = bathing({}, reportSettings(), 2008, 3);
    ASSERT_TRUE(g.error.isEmpty());
    ASSERT_EQ(g.headings.size(), 8);
    EXPECT_EQ(g.headings[1], QStringLiteral("宿泊 人数"));
    EXPECT_EQ(g.headings[7], QStringLiteral("課税免除 人数計"));
    ASSERT_EQ(g.rows.size(), 32u);
    EXPECT_EQ(cell(g, 0, Day), QStringLiteral("1(土)"));
    EXPECT_EQ(cell(g, 30, Day), QStringLiteral("31(月)"));
    EXPECT_EQ(cell(g, 31, Day), QStringLiteral("合計"));
    for (const QStringList &row : g.rows) {
        ASSERT_EQ(row.size(), 8);
        for (int c = 1; c < 8; ++c)
            EXPECT_TRUE(row[c].isEmpty());
    }
}

TEST(Nyutouzei, RowsOfDaysTheMonthLacksStayBlank)
{
    struct Case { int year, month, lastDay; };
    for (const Case c : {Case{2007, 2, 28}, Case{2008, 2, 29}, Case{2008, 4, 30}}) {
        SCOPED_TRACE(c.month * 10000 + c.year);
        const MonthGrid g = bathing({}, reportSettings(), c.year, c.month);
        EXPECT_FALSE(cell(g, c.lastDay - 1, Day).isEmpty());
        for (int r = c.lastDay; r < 31; ++r)
            EXPECT_TRUE(cell(g, r, Day).isEmpty()) << r;
        EXPECT_EQ(cell(g, 31, Day), QStringLiteral("合計"));
    }
}

TEST(Nyutouzei, CountsEachLineInItsColumn)
{
    struct Case {
        const char *name;
        uint32_t kubun;
        int32_t suryou;
        std::vector<std::pair<int, QString>> cells; // on the row and the totals row; others empty
    };
    const Case cases[] = {
        {"adult stay", 1601002, 2, {{Stay, "2"}, {StayTax, "300"}, {Exempt, "0"}}},
        {"child stay", 1601003, 1, {{Under12, "1"}, {Exempt, "1"}}},
        {"baby stay (entry 8)", 1601008, 1, {{Under12, "1"}, {Exempt, "1"}}},
        {"pet stay (entry 9) not counted", 1601009, 1, {{Exempt, "0"}}},
        {"adult day use", 1601801, 3, {{DayUse, "3"}, {DayUseTax, "300"}, {Exempt, "0"}}},
        {"child day use", 1601805, 2, {{Under12, "2"}, {Exempt, "2"}}},
        {"day use entry 6 not counted", 1601806, 2, {{Exempt, "0"}}},
        {"bathing tax switched off", 1601993, 2, {{Other, "2"}, {Exempt, "2"}}},
        {"option not counted", 1601101, 4, {{Exempt, "0"}}},
        {"advance not counted", 1106001, 1, {{Exempt, "0"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const MonthGrid g = bathing(lineList({billLine(7, "", "2008/03/05", c.kubun, 5000, c.suryou)}),
                                           reportSettings(), 2008, 3);
        for (int row : {4, 31}) {
            for (int col = 1; col < 8; ++col) {
                QString expected;
                for (const auto &[k, v] : c.cells)
                    if (k == col)
                        expected = v;
                EXPECT_EQ(cell(g, row, col), expected) << "row " << row << " col " << col;
            }
        }
        EXPECT_TRUE(cell(g, 3, Exempt).isEmpty());
    }
}

TEST(Nyutouzei, AddsPersonsPerNightAndTaxesAtTheCurrentRate)
{
    // Two adult lines of 2 on the 5th; a two-night stay of 2 adults on the
    // 10th and 11th; the bill is not settled, which does not matter.
    const auto lines = lineList({
        billLine(1, "", "2008/03/05", 1601001, 8000, 2),
        billLine(1, "", "2008/03/05", 1601002, 6000, 2),
        billLine(2, "2008/04/01", "2008/03/10", 1601001, 8000, 2),
        billLine(2, "2008/04/01", "2008/03/11", 1601001, 8000, 2),
        billLine(3, "2008/03/12", "2008/02/29", 1601001, 8000, 9), // another month's night
    });
    TBaseData base = reportSettings();
    MonthGrid g = bathing(lines, base, 2008, 3);
    EXPECT_EQ(cell(g, 4, Stay), "4");
    EXPECT_EQ(cell(g, 4, StayTax), "600");
    EXPECT_EQ(cell(g, 9, Stay), "2");
    EXPECT_EQ(cell(g, 10, Stay), "2");
    EXPECT_EQ(cell(g, 31, Stay), "8");
    EXPECT_EQ(cell(g, 31, StayTax), "1200");
    EXPECT_TRUE(cell(g, 11, Stay).isEmpty());

    base.Nyutouzei = 200;
    g = bathing(lines, base, 2008, 3);
    EXPECT_EQ(cell(g, 4, StayTax), "800");
    EXPECT_EQ(cell(g, 31, StayTax), "1600");
}

TEST(Nyutouzei, ImpossibleOrMalformedDatesBelongToNoMonth)
{
    const auto lines = lineList({
        billLine(1, "", "2008/04/31", 1601001, 0, 1), // April has 30 days
        billLine(1, "", "2008/04/00", 1601001, 0, 1),
        billLine(1, "", "2008/04/1", 1601001, 0, 1),
        billLine(1, "", "2008/04/1x", 1601001, 0, 1),
        billLine(1, "", "2008/4/30", 1601001, 0, 1),
        billLine(1, "", "2008-04-30", 1601001, 0, 1),
    });
    const MonthGrid g = bathing(lines, reportSettings(), 2008, 4);
    for (int r = 0; r < 32; ++r)
        for (int c = 1; c < 8; ++c)
            EXPECT_TRUE(cell(g, r, c).isEmpty()) << r << "," << c;
    EXPECT_TRUE(cell(g, 30, Day).isEmpty());
}

TEST(Nyutouzei, SumsBeyondRangeAreReportedNotWrapped)
{
    TBaseData base = reportSettings();
    base.Nyutouzei = INT32_MAX;
    RecordList<TReserveData> lines;
    for (int i = 0; i < 4; ++i)
        lines.push_back(billLine(1, "", "2008/03/01", 1601001, 0, INT32_MAX));
    const MonthGrid g = bathing(lines, base, 2008, 3);
    EXPECT_FALSE(g.error.isEmpty());
    EXPECT_TRUE(g.error.contains(QStringLiteral("2008年03月分")));
    EXPECT_TRUE(g.rows.empty());
    // One line less still fits.
    lines.pop_back();
    lines.pop_back();
    EXPECT_TRUE(bathing(lines, base, 2008, 3).error.isEmpty());
}

} // namespace
