#pragma once
// Sales per item of a month: for one sales category of the item master, how
// many of each item the bills settled in the month sold, and for how much.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "storage/app_data.h"

#include <QStringList>

// The categories a sales summary can cover, as KamokuList indexes, and their names.
inline constexpr int ItemSalesCategories = 3; // 0 accommodation, 1 options, 2 day use
QStringList itemSalesCategoryNames();         // 宿泊費明細, オプション明細, 日帰り明細

QStringList itemSalesHeadings(); // 科目コード, 項目, 数量, 金額

// One row per named entry of the category (a KamokuList index below
// ItemSalesCategories) in item-master order (blank entries are left out), then the
// totals row "合計". A line counts under the first listed entry whose key
// equals its Kubun; a line whose key no listed entry holds is not counted.
// Quantity and amount stay empty until a line counts.
MonthGrid itemSalesMonth(const AppData &data, const ReportMonth &month, int category);
