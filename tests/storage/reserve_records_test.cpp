// The bill lines' index by month: which date fields count as dates, the
// lines of a month against a look through every line, and the index
// following every way the lines change.

#include "reports/month_dates.h"
#include "storage/reserve_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <utility>

namespace {

template <std::size_t N> void setField(char (&field)[N], const char *bytes, std::size_t size)
{
    std::memset(field, 0, N);
    std::memcpy(field, bytes, std::min(size, N));
}
template <std::size_t N> void setField(char (&field)[N], const char *text)
{
    setField(field, text, std::strlen(text));
}

TReserveData line(uint32_t meiNo, const char *rsvday, const char *seisan = "")
{
    TReserveData r{};
    r.MeiNo = meiNo;
    setField(r.Rsvday, rsvday);
    setField(r.Seisan, seisan);
    return r;
}

using Found = std::vector<std::pair<uint32_t, uint32_t>>; // index, day

Found fromIndex(const RecordDateIndex &index, int year, int month)
{
    Found found;
    for (const RecordDateIndex::Line &l : index.month(year, month))
        found.emplace_back(l.index, l.day);
    return found;
}

// The lines of a month as the reports found them before the index: every
// line, its field read by ReportMonth.
Found byLooking(const ReserveRecords &list, int year, int month, bool settlement)
{
    const ReportMonth m(year, month);
    Found found;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (const int d = settlement ? m.dayOf(list[i].Seisan) : m.dayOf(list[i].Rsvday))
            found.emplace_back(uint32_t(i), uint32_t(d));
    return found;
}

} // namespace

TEST(FieldDate, OnlyARealDayWrittenInFullIsADate)
{
    const struct {
        const char *bytes;
        std::size_t size;
        int year, month, day; // 0 0 0: no date
    } cases[] = {
        {"2014/03/21", 10, 2014, 3, 21},
        {"2016/02/29", 10, 2016, 2, 29},
        {"2000/02/29", 10, 2000, 2, 29},
        {"0001/01/01", 10, 1, 1, 1},
        {"9999/12/31", 10, 9999, 12, 31},
        {"2014/02/29", 10, 0, 0, 0}, // not a leap year
        {"1900/02/29", 10, 0, 0, 0}, // nor is 1900
        {"2014/04/31", 10, 0, 0, 0},
        {"2014/03/00", 10, 0, 0, 0},
        {"2014/03/32", 10, 0, 0, 0},
        {"2014/13/01", 10, 0, 0, 0},
        {"2014/00/10", 10, 0, 0, 0},
        {"0000/01/01", 10, 0, 0, 0},
        {"2014-03-21", 10, 0, 0, 0},
        {"2014/3/21", 9, 0, 0, 0},
        {"2014/03/2", 9, 0, 0, 0},
        {"2014/03/21X", 11, 0, 0, 0}, // no NUL after the date
        {"2014/03/ 1", 10, 0, 0, 0},
        {"", 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        char field[11];
        setField(field, c.bytes, c.size);
        const FieldDate d = fieldDate(field);
        EXPECT_EQ(d.year, c.year) << c.bytes;
        EXPECT_EQ(d.month, c.month) << c.bytes;
        EXPECT_EQ(d.day, c.day) << c.bytes;
        EXPECT_EQ(d.isValid(), c.day != 0) << c.bytes;
    }
}

namespace {

// A line with dates as the desk writes them, or damaged ones (a byte changed,
// a record shifted), or bytes of no meaning at all, in the years given.
TReserveData randomLine(std::mt19937 &rng, uint32_t meiNo, int firstYear, int years,
                        std::set<std::pair<int, int>> &months)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    for (char *field : {r.Rsvday, r.Seisan}) {
        const int year = firstYear + int(rng() % unsigned(years)), month = 1 + int(rng() % 12);
        const int day = 1 + int(rng() % 31);
        char text[16];
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
        std::memcpy(field, text, 11);
        months.insert({year, month});
        switch (rng() % 10) {
        case 0: field[0] = '\0'; break;                                      // no date
        case 1: field[rng() % 11] = char(rng() % 256); break;                // a damaged byte
        case 2: for (int b = 0; b < 11; ++b) field[b] = char(rng()); break; // no meaning
        case 3: std::memmove(field, field + 1, 10); break;                   // shifted
        default: break;
        }
    }
    return r;
}

void expectIndexAsLooking(const ReserveRecords &list, const std::set<std::pair<int, int>> &months)
{
    for (const auto &[year, month] : months) {
        EXPECT_EQ(fromIndex(list.lineDates(), year, month), byLooking(list, year, month, false))
            << year << '/' << month;
        EXPECT_EQ(fromIndex(list.settlementDates(), year, month), byLooking(list, year, month, true))
            << year << '/' << month;
    }
}

} // namespace

TEST(RecordDateIndex, GivesEveryMonthTheLinesALookThroughTheListFinds)
{
    std::mt19937 rng(20141221);
    ReserveRecords list;
    std::set<std::pair<int, int>> months{{2007, 12}, {2012, 1}}; // before and after every line
    for (int i = 0; i < 20000; ++i)
        list.push_back(randomLine(rng, uint32_t(i / 7), 2008, 4, months));
    expectIndexAsLooking(list, months);
    EXPECT_TRUE(list.lineDates().month(0, 0).empty());
    EXPECT_TRUE(list.lineDates().month(2009, 13).empty());
    EXPECT_TRUE(ReserveRecords().settlementDates().month(2009, 3).empty());

    // Lines added once the index is built join it: in months it has, before
    // its first and after its last.
    for (int i = 0; i < 300; ++i)
        list.push_back(randomLine(rng, uint32_t(30000 + i), 2000 + int(rng() % 20), 1, months));
    expectIndexAsLooking(list, months);

    ReserveRecords fresh;
    ASSERT_TRUE(fresh.lineDates().month(2014, 3).empty());
    fresh.push_back(randomLine(rng, 1, 2014, 1, months));
    fresh.push_back(randomLine(rng, 2, 2013, 1, months));
    expectIndexAsLooking(fresh, months);
}

TEST(ReserveRecords, IndexFollowsEveryChangeOfTheLines)
{
    const auto march = [](const ReserveRecords &list) { return fromIndex(list.lineDates(), 2014, 3); };
    ReserveRecords list{line(1, "2014/03/21"), line(2, "2014/04/01")};
    ASSERT_EQ(march(list), (Found{{0, 21}}));

    list.push_back(line(3, "2014/03/05"));
    EXPECT_EQ(march(list), (Found{{0, 21}, {2, 5}}));

    list.edit()[1].Rsvday[6] = '3'; // 2014/04/01 becomes 2014/03/01
    EXPECT_EQ(march(list), (Found{{0, 21}, {1, 1}, {2, 5}}));

    ReserveRecords::List other{line(4, "2014/03/31")};
    list.swap(other);
    EXPECT_EQ(march(list), (Found{{0, 31}}));

    list = other; // the three lines again
    EXPECT_EQ(march(list), (Found{{0, 21}, {1, 1}, {2, 5}}));

    ReserveRecords copy = list;
    copy.edit().erase(copy.edit().begin());
    EXPECT_EQ(march(copy), (Found{{0, 1}, {1, 5}}));
    EXPECT_EQ(march(list), (Found{{0, 21}, {1, 1}, {2, 5}}));
    copy = list;
    EXPECT_EQ(march(copy), march(list));

    ReserveRecords moved = std::move(copy);
    EXPECT_EQ(march(moved), march(list));
    EXPECT_TRUE(march(copy).empty()); // NOLINT(bugprone-use-after-move): a moved-from list is empty

    list.clear();
    EXPECT_TRUE(march(list).empty());
    EXPECT_TRUE(list.settlementDates().month(2014, 3).empty());
}
