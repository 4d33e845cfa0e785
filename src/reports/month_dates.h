#pragma once
// Which month a report shows, and how a record's date text is placed in it.
// A record belongs to a month when its date field holds a date (fieldDate)
// of that month. Anything else (empty, malformed, an impossible day) belongs
// to no month.

#include "storage/record_date.h"

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

    // Day (1..31) of a date field that belongs to this month, else 0. What
    // counts as a date is fieldDate's rule, the one the bill lines' index
    // uses; the month's "yyyy/mm/" compared as one word first turns other
    // months away quickly.
    int dayOf(const char (&field)[11]) const
    {
        uint64_t head;
        std::memcpy(&head, field, sizeof head);
        if (head != key)
            return 0;
        const FieldDate d = fieldDate(field);
        return d.year == y && d.month == m ? d.day : 0;
    }

private:
    int y = 0, m = 0, days = 0;
    char prefix[9] = {}; // "yyyy/mm/"
    uint64_t key = 0;    // the same eight bytes as one word
};

// Weekday names from Sunday: 日 月 火 水 木 金 土.
QString weekdayName(const QDate &date);
