#pragma once
// The diagnostic listings: every record held in memory, one row per record
// and one column per field, in list order, for checking the stored data.
// They do not depend on any month.

#include "reports/month_grid.h"
#include "storage/records.h"
#include "storage/record_list.h"

#include <QStringList>

// Headings are the field names padded with "_" to six characters.
QStringList reserveRecordHeadings();
QStringList reserveRecordCells(const TReserveData &r);
MonthGrid reserveRecordsGrid(const RecordList<TReserveData> &list);

QStringList urikakeRecordHeadings();
QStringList urikakeRecordCells(const TUrikakeData &u);
MonthGrid urikakeRecordsGrid(const RecordList<TUrikakeData> &list);
