#include "reports/record_views.h"

#include "month_data.h"

#include <gtest/gtest.h>

TEST(RecordViews, ReserveRecordsFieldByField)
{
    RecordList<TReserveData> list;
    TReserveData r = reserveLine({4000000000u, "2008/03/05", 1601001, -300, 2, "大人宿泊料金", "山田", "2008/03/04"});
    setFieldText(r.Regday, QStringLiteral("R123"));
    setFieldText(r.Plan, QStringLiteral("朝食付"));
    setFieldText(r.Room, QStringLiteral("201"));
    r.Stay = 2;
    r.Stayx = 1;
    r.Decide = 2;
    list.push_back(r);
    r.Decide = 1;
    list.push_back(r);

    const MonthGrid g = reserveRecordsGrid(list);
    EXPECT_EQ(g.headings, QStringList({"MeiNo_", "Seisan", "Regday", "Rsvday", "Name__", "Plan__", "Room__",
                                       "Stay__", "Stayx_", "Decide", "Kubun_", "Kamoku", "Tanka_", "Suryou"}));
    ASSERT_EQ(g.rows.size(), 2u);
    EXPECT_EQ(g.rows[0], QStringList({"4000000000", "2008/03/05", "R123", "2008/03/04", "山田", "朝食付", "201",
                                      "2", "1", "false", "1601001", "大人宿泊料金", "-300", "2"}));
    EXPECT_EQ(g.rows[1][9], QStringLiteral("true"));
}

TEST(RecordViews, UrikakeRecordsWithTheRawCardKey)
{
    RecordList<TUrikakeData> list;
    list.push_back(cardEntry(7, "2008/03/05", 101099, -20, "佐藤"));
    const MonthGrid g = urikakeRecordsGrid(list);
    EXPECT_EQ(g.headings, QStringList({"MeiNo_", "Seisan", "Name__", "Card__", "Goukei"}));
    ASSERT_EQ(g.rows.size(), 1u);
    EXPECT_EQ(g.rows[0], QStringList({"7", "2008/03/05", "佐藤", "101099", "-20"}));
    EXPECT_TRUE(urikakeRecordsGrid({}).rows.empty());
}
