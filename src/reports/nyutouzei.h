#pragma once
// The month's bathing-tax statement: per day of use (each line's own date,
// settled or not) the persons liable to the tax, staying and day use, the
// tax due at the rates of the settings, and the persons exempted.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "storage/app_data.h"

// Rows 0..30 are days 1..31 (blank for days the month does not have), row 31
// the totals; columns as the window shows them:
//   0 day label, 1 宿泊 人数, 2 宿泊 金額, 3 日帰り 人数, 4 日帰り 金額,
//   5 課税免除 12歳未満, 6 課税免除 他免除, 7 課税免除 人数計.
MonthGrid nyutouzeiMonth(const AppData &data, const ReportMonth &month);

// The headings, a two-level heading joined with a space.
QStringList nyutouzeiHeadings();
