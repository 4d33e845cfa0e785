#pragma once
// The rules of the reservation list: which bills a day lists and in what
// order, the row texts, a bill created by hand, one room split off into a
// bill of its own, and a bill deleted with all its lines. The list window
// binds these to its grid and menu.

#include "storage/app_data.h"
#include "storage/library.h"
#include "storage/record_list.h"
#include "storage/records.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

// Columns of the list grid.
enum RsvListColumn : int {
    RsvColSeisan = 0,  // 清算日
    RsvColMeiNo = 1,   // 請求番号
    RsvColRegday = 2,  // 予約番号
    RsvColName = 3,    // 名前
    RsvColPlan = 4,    // プラン名
    RsvColRoom = 5,    // 部屋
    RsvColStay = 6,    // 総泊数
    RsvColStayx = 7,   // 泊目
    RsvColAmount = 8,  // 料金計
    RsvListColumns = 9,
};

// A date as the records write it: 2014/03/21.
using RecordDate = std::array<char, 10>;
RecordDate recordDate(const QDate &date);

// The date above the list, e.g. 2014年03月21日(金).
QString listDateLabel(const QDate &date);

// The rows of one day, in the order the list shows them: indices into list.
// One row per bill and room on the day: the first of its lines dated the
// day, wherever its other lines stand in the list. The rows are
// ordered by the bill number's decimal text, compared byte by byte (numeric
// order for numbers of equal length); rows of one bill keep their list order.
// rows is overwritten; its capacity is reused, so a refresh allocates nothing
// once the list has been shown. Only the day's month of lines is looked at
// (through the list's date index).
void collectDayRows(const ReserveRecords &list, const QDate &day, std::vector<size_t> &rows);

// Which night of the stay the day is for the row's bill and room: the night
// of its earliest line within the stay, counted on by the days since (a
// bill's lines all carry the night it was opened on).
int nightOfStay(const ReserveRecords &list, size_t row, const QDate &day);

// The nine cell texts of a row made from a record; night, when given, is
// shown as 泊目 instead of the record's.
QStringList rsvListCells(const TReserveData &record, int night = -1);

// The first question before a bill is deleted, naming the bill: its number
// and the guest's name, or, for a bill without a name, its number and room.
QString deleteBillQuestion(uint32_t billNo, const QString &name, const QString &room);

// Appends an empty bill for the day under NextMeiNo (a hand-made reservation
// number, one night, the first accommodation item), then advances NextMeiNo.
// Returns the new bill's number.
uint32_t createBill(AppData &data, const QDate &day);
// A hand-made reservation number: "a" and nine digits, the record count or,
// when that is taken, above every hand-made number in the list.
QByteArray nextHandMadeNumber(const ReserveRecords &list);

// Writes reserve.dat and urikake.dat from the lists as they stand, through
// the one all-or-nothing commit: a bill made, split off or fetched is on disk
// at once, not only once some bill is saved. Empty when written; otherwise
// what the files hold (the lists stay as they are and go with the next save).
QString storeBillLists(const AppData &data, const TLibrary &lib);

// Gives every line of billNo in the room (field bytes, compared whole) the
// number NextMeiNo, on every date, then advances NextMeiNo. Returns the new
// number; 0 when no line matched (nothing changes then).
uint32_t splitRoom(AppData &data, uint32_t billNo, const QByteArray &room);

// Removes every line of billNo (all dates and rooms) and the bill's first
// receivable, and rewrites reserve.dat and urikake.dat together (all or
// nothing). deleted: the files no longer hold the bill (or the next start
// finishes writing them so), and the lists follow them; otherwise the lists
// and both files are as they were. error: what went wrong, empty when nothing did.
struct DeleteResult {
    bool deleted = false;
    QString error;
};
DeleteResult deleteBill(AppData &data, const TLibrary &lib, uint32_t billNo);
