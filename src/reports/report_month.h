#pragma once
// What the day-row reports (bathing tax, daily sales) and the month bar
// share beyond ReportMonth: the row layout, the day labels, and the steps
// from month to month.

#include "reports/month_dates.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace reports {

// A day-row report has a row for each of up to 31 days, then its totals row.
inline constexpr int DayRows = 31;
inline constexpr int TotalsRow = DayRows; // index among the rows below the headings

// "1(土)": day number without leading zero and the weekday.
QString dayLabel(const QDate &date);
// The day label of row r (day r + 1), empty for days the month lacks, and
// "合計" for the totals row.
QString rowLabel(const ReportMonth &month, int r);

// The shown date one month back (delta -1) or forward (+1): the day is
// clamped to the target month's length, the time of day kept.
QDateTime stepMonth(const QDateTime &shown, int delta);
// Whether → may still go forward after a step: not once the shown month is
// the current month or later. (Whole months are compared rather than the
// shown date against now less a day: the day clamp of a step can leave the
// shown date days before now within the current month.)
bool forwardAllowed(const QDateTime &shown, const QDateTime &now);

} // namespace reports
