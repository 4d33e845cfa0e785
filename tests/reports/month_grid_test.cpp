#include "reports/month_grid.h"

#include <gtest/gtest.h>

TEST(MonthGridCsv, BomHeadingsRowsAndCrLf)
{
    MonthGrid g;
    g.headings = {QStringLiteral("日"), QStringLiteral("宿泊 人数")};
    g.rows = {{"1", "3"}, {"2", ""}, {QStringLiteral("計"), "3"}};
    const QByteArray expected = QByteArray("\xEF\xBB\xBF")
        + QStringLiteral("日,宿泊 人数\r\n1,3\r\n2,\r\n計,3\r\n").toUtf8();
    EXPECT_EQ(monthGridCsv(g), expected);
}

TEST(MonthGridCsv, QuotesOnlyWhereNeeded)
{
    struct Case { const char *name; QString cell; QByteArray field; };
    const Case cases[] = {
        {"plain", "abc", "abc"},
        {"comma", "a,b", "\"a,b\""},
        {"quote", "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line feed", "a\nb", "\"a\nb\""},
        {"carriage return", "a\rb", "\"a\rb\""},
        {"empty", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MonthGrid g;
        g.headings = {"h"};
        g.rows = {{c.cell}};
        EXPECT_EQ(monthGridCsv(g), QByteArray("\xEF\xBB\xBFh\r\n") + c.field + "\r\n");
    }
}

TEST(MonthGridCsv, NoRowsGivesHeadingLineOnly)
{
    MonthGrid g;
    g.headings = {"a", "b"};
    EXPECT_EQ(monthGridCsv(g), QByteArray("\xEF\xBB\xBF" "a,b\r\n"));
}
