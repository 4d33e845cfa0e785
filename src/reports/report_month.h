#pragma once
// What every month report shares: the shown month and its stepping, the day
// labels of the rows, which record dates belong to the month, and sums that
// refuse to wrap.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <cstring>

namespace reports {

// A report has a row for each of up to 31 days, then its totals row.
inline constexpr int DayRows = 31;
inline constexpr int TotalsRow = DayRows; // index among the rows below the headings

// "2008/03": the first seven characters of the month's record dates.
QString monthText(int year, int month);
// "2008年03月分": the month title of the report windows and printouts.
QString monthTitle(const QDate &date);
// "1(土)": day number without leading zero and the weekday.
QString dayLabel(const QDate &date);

// The shown date one month back (delta -1) or forward (+1): the day is
// clamped to the target month's length, the time of day kept.
QDateTime stepMonth(const QDateTime &shown, int delta);
// Whether → may still go forward after a step: not once the shown month is
// the current month or later. (Comparing whole months, not the shown date
// against now less a day: the day clamp of a step can leave the shown date
// days before now within the current month.)
bool forwardAllowed(const QDateTime &shown, const QDateTime &now);

// A record's date field tested against one month, quickly enough for every
// line of a large reservation list.
class MonthFilter {
public:
    MonthFilter(int year, int month);
    // The day 1..31 when the field holds a valid date "yyyy/mm/dd" of the
    // month; 0 otherwise (other months, malformed or impossible dates).
    int day(const char (&field)[11]) const
    {
        if (std::memcmp(field, prefix, 7) != 0 || field[7] != '/' || field[10] != '\0')
            return 0;
        const int hi = field[8] - '0', lo = field[9] - '0';
        if (hi < 0 || hi > 9 || lo < 0 || lo > 9)
            return 0;
        const int d = hi * 10 + lo;
        return d >= 1 && d <= days ? d : 0;
    }
    int daysInMonth() const { return days; }

private:
    char prefix[8] = {};
    int days = 0;
};

// A grid cell being summed: empty until something is added to it. Every
// addition is checked; a sum that does not fit marks the whole computation
// as failed instead of wrapping.
struct SumCell {
    int64_t value = 0;
    bool set = false;
    QString text() const { return set ? QString::number(value) : QString(); }
};

class Sums {
public:
    void add(SumCell &cell, int64_t amount)
    {
        cell.set = true;
        if (__builtin_add_overflow(cell.value, amount, &cell.value))
            overflow = true;
    }
    void assign(SumCell &cell, int64_t value)
    {
        cell.value = value;
        cell.set = true;
    }
    int64_t plus(int64_t a, int64_t b)
    {
        int64_t r = 0;
        if (__builtin_add_overflow(a, b, &r))
            overflow = true;
        return r;
    }
    int64_t minus(int64_t a, int64_t b)
    {
        int64_t r = 0;
        if (__builtin_sub_overflow(a, b, &r))
            overflow = true;
        return r;
    }
    int64_t times(int64_t a, int64_t b)
    {
        int64_t r = 0;
        if (__builtin_mul_overflow(a, b, &r))
            overflow = true;
        return r;
    }
    bool overflow = false;
};

// The message for a month whose sums are beyond what the report can hold.
QString overflowMessage(int year, int month);

} // namespace reports
