#pragma once
// The receivables statement of a month: every card payment (UrikakeList) and
// every coupon line (account 102 in ReserveList) of the bills settled in the
// month, by settlement day, and their total.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "storage/app_data.h"

#include <QStringList>

// The card companies' category in KamokuList (kmk_urk.dat).
inline constexpr int CardCompanyCategory = 6;

QStringList receivablesHeadings(); // 日, 請求番号, 使用者, 売掛種別, 金額

// One row per receivable in
// day order (card payments before coupons within a day, each in list order),
// then the totals row "合計" with the sum. A coupon counts at its unit price
// alone, whatever its quantity. A card kind the card companies category does
// not hold shows empty and still counts.
MonthGrid receivablesMonth(const AppData &data, const ReportMonth &month);
