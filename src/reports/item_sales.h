#pragma once
// Sales per item of a month: for one sales category of the item master, how
// many of each item the bills settled in the month sold, and for how much.

#include "reports/month_grid.h"
#include "storage/record_list.h"
#include "storage/records.h"

#include <QStringList>

// The categories a sales summary can cover, as KamokuList indexes, and their names.
inline constexpr int ItemSalesCategories = 3; // 0 accommodation, 1 options, 2 day use
QStringList itemSalesCategoryNames();         // 宿泊費明細, オプション明細, 日帰り明細

QStringList itemSalesHeadings(); // 科目コード, 項目, 数量, 金額

// items: the category's entries (KamokuList[category]). One row per named
// entry in item-master order (blank entries are left out), then the
// totals row "合計". A line counts under the first listed entry whose key
// equals its Kubun; a line whose key no listed entry holds is not counted.
// Quantity and amount stay empty until a line counts.
MonthGrid itemSalesMonth(const RecordList<TReserveData> &lines, const RecordList<THojoKamoku> &items, int year,
                         int month);
