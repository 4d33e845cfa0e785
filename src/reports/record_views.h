#pragma once
// The diagnostic listings: every record held in memory, one row per record
// and one column per field, in list order, for checking the stored data.
// They do not depend on any month.

#include "reports/month_grid.h"
#include "storage/records.h"
#include "storage/record_list.h"

#include <QString>
#include <QStringList>

// Headings are the field names padded with "_" to six characters.
QStringList reserveRecordHeadings();
inline constexpr int ReserveRecordColumns = 14;
// The text of field col (0 .. ReserveRecordColumns - 1), in heading order.
QString reserveRecordCell(const TReserveData &r, int col);
QStringList reserveRecordCells(const TReserveData &r);
MonthGrid reserveRecordsGrid(const RecordList<TReserveData> &list);

QStringList urikakeRecordHeadings();
inline constexpr int UrikakeRecordColumns = 5;
QString urikakeRecordCell(const TUrikakeData &u, int col);
QStringList urikakeRecordCells(const TUrikakeData &u);
MonthGrid urikakeRecordsGrid(const RecordList<TUrikakeData> &list);
