#pragma once
// The month's accommodation-tax statement for the town hall (宿泊税納入明細):
// per night (each stay line's own date, settled or not) the guest-nights at
// each tier, the guest-nights exempted, and the tax, with the month's totals.
// The figures are worked out from the stay lines as the bills charge them.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "storage/app_data.h"

// Rows 0..30 are days 1..31 (blank for days the month does not have), row 31
// the totals. Columns: 0 the day; then one per tier in force during the
// month (guest-nights), headed by its price range and amount, e.g.
// "6,000〜19,999円 400円" (in a month whose tiers change, headed by the
// period it starts with too: "2026/03/01から 6,000〜19,999円 400円"); then
// 人泊計 (taxed guest-nights), 免除 人泊 (exempt guest-nights), 免除 and each
// reason the month's exemptions give, 税額, and for a tax levied by more than
// one authority each authority's share ("町 税額").
MonthGrid lodgingTaxMonth(const AppData &data, const ReportMonth &month);
// The number of tier columns of such a grid (after the day).
int lodgingTierColumns(const MonthGrid &grid);

// The stay lines that bear the tax but have no date, of the bills settled in
// the month: no night of the statement can count them, so each is named for
// the clerk to date it (e.g. "伝票No.12 その他宿泊料金 ×2名"). Empty when none.
QStringList lodgingUndatedLines(const AppData &data, const ReportMonth &month);
