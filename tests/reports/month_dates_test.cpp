#include "reports/month_dates.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ReportMonth, DayOfAcceptsOnlyValidDatesOfTheMonth)
{
    struct Case { const char *date; int day; };
    const Case cases[] = {
        {"2008/03/05", 5},  {"2008/03/31", 31}, {"2008/03/01", 1},
        {"2008/04/01", 0},  // another month
        {"2007/03/05", 0},  // another year
        {"2008/03/32", 0},  {"2008/03/00", 0},  {"2008/03/5", 0},  {"2008/3/05", 0},
        {"2008/03-05", 0},  {"2008/03/0a", 0},  {"", 0},
    };
    const ReportMonth march(2008, 3);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.date);
        char field[11] = {};
        std::memcpy(field, c.date, std::strlen(c.date));
        EXPECT_EQ(march.dayOf(field), c.day);
    }
    // Eleven characters, no NUL: not a date.
    char full[11];
    std::memcpy(full, "2008/03/05X", 11);
    EXPECT_EQ(march.dayOf(full), 0);
}

TEST(ReportMonth, FebruaryKnowsItsLength)
{
    char field[11] = "2009/02/29";
    EXPECT_EQ(ReportMonth(2009, 2).dayOf(field), 0);
    char leap[11] = "2008/02/29";
    EXPECT_EQ(ReportMonth(2008, 2).dayOf(leap), 29);
    EXPECT_EQ(ReportMonth(2009, 2).dayCount(), 28);
}

TEST(ReportMonth, TitleTextAndWeekdays)
{
    const ReportMonth m(QDate(2008, 3, 31));
    EXPECT_EQ(m.title(), QStringLiteral("2008年03月分"));
    EXPECT_EQ(m.text(), QByteArray("2008/03"));
    EXPECT_EQ(weekdayName(QDate(2008, 3, 5)), QStringLiteral("水"));
    EXPECT_EQ(weekdayName(QDate(2008, 3, 2)), QStringLiteral("日"));
    EXPECT_EQ(weekdayName(QDate(2008, 3, 8)), QStringLiteral("土"));
    EXPECT_FALSE(ReportMonth(2008, 13).isValid());
}
