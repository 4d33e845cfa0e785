#pragma once
// Which month a report shows, and how a record's date text is placed in it.
// A record belongs to a month when its date field holds a valid yyyy/mm/dd
// text whose first seven characters are that month's "yyyy/mm"; its day is
// then characters 9-10. Anything else (empty, malformed, an impossible day)
// belongs to no month.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

class ReportMonth {
public:
    ReportMonth() = default;
    ReportMonth(int year, int month);
    explicit ReportMonth(const QDate &date) : ReportMonth(date.year(), date.month()) {}

    bool isValid() const { return days > 0; }
    int year() const { return y; }
    int month() const { return m; }
    int dayCount() const { return days; }
    // "2008/03", the prefix the records' dates are matched against.
    QByteArray text() const { return QByteArray(prefix, 7); }
    // "2008年03月分", the title above every report of the month.
    QString title() const;
    QDate date(int day) const { return QDate(y, m, day); }

    // Day (1..31) of a date field that belongs to this month, else 0. The
    // field is the record's fixed-size text: ten characters and a NUL.
    // Inline: the month reports ask it of every receivable. (Bill lines are
    // found through ReserveRecords' date index, which reads their dates by
    // the same rule.)
    int dayOf(const char *field, std::size_t size) const
    {
        if (size < 10)
            return 0;
        // "yyyy/mm/" compared as one word.
        uint64_t head;
        std::memcpy(&head, field, 8);
        if (head != key || (size > 10 && field[10] != '\0') || days == 0)
            return 0;
        const unsigned hi = unsigned(field[8]) - '0', lo = unsigned(field[9]) - '0';
        if (hi > 9 || lo > 9)
            return 0;
        const int day = int(hi * 10 + lo);
        return day >= 1 && day <= days ? day : 0;
    }
    template <std::size_t N> int dayOf(const char (&field)[N]) const { return dayOf(field, N); }

private:
    int y = 0, m = 0, days = 0;
    char prefix[9] = {}; // "yyyy/mm/"
    uint64_t key = 0;    // the same eight bytes as one word
};

// Weekday names from Sunday: 日 月 火 水 木 金 土.
QString weekdayName(const QDate &date);
