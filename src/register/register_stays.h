#pragma once
// The stays the register is kept for, read from the bill lines: a bill's
// guest, room, first night and nights, and how many guests its stay lines
// hold; the day's arrivals; and how far the register's entries of a stay
// are filled in.

#include "register/guest_register.h"
#include "storage/lodging_tax.h"
#include "storage/reserve_records.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct RegisterStay {
    quint32 meiNo = 0;
    QString name; // the bill's guest, as the bill holds it
    QString room;
    QDate firstNight;
    int nights = 1;
    int guests = 1; // the most guests on one night of the stay lines (1 at least)
};

// Whether a line's item stands for guests staying the night: the adults' and
// children's stay items and their bathing-tax-exempt twins, but no item the
// inn marked as no guest (a pet).
bool isGuestStayItem(uint32_t kubun, const TLodgingTax &marks);

// The stay of bill meiNo; false when the list has no such bill.
bool stayOfBill(const ReserveRecords &lines, const TLodgingTax &marks, quint32 meiNo, RegisterStay *stay);

// The stay of a bill being edited, from its own lines (not yet stored):
// stay holds its number, guest, room, first night and nights, and takes the
// most guests on one date of the lines.
void countGuestsOfLines(const RecordList<TReserveData> &lines, const TLodgingTax &marks, RegisterStay *stay);
// The stay the register window shows for bill meiNo: from the stored lines,
// or, for a bill not stored yet, a stay of one guest from today.
RegisterStay registerStayOf(const ReserveRecords &lines, const TLodgingTax &marks, quint32 meiNo, const QDate &today);

// The bills whose stay begins on day (day use is no stay), by bill number.
std::vector<RegisterStay> staysArrivingOn(const ReserveRecords &lines, const TLodgingTax &marks, const QDate &day);

// The rows the register window shows for a stay: the entries already made
// for the bill, then blank ones up to the stay's guests, the first guest
// named after the bill when no entry exists yet. Every row carries the
// stay's bill, room, first night and nights.
std::vector<RegisterEntry> entriesForStay(const RegisterStay &stay, const std::vector<RegisterEntry> &made);

// How far the entries of a stay are filled in.
struct StayCompleteness {
    int guests = 0;     // the stay's guests, or more when more entries were made
    int entered = 0;    // entries made
    int incomplete = 0; // entries made with a field missing or malformed
    // One line per guest still missing or incomplete, e.g. "2人目 山田 花子: 住所、連絡先".
    QStringList lines;
    bool complete() const { return entered >= guests && incomplete == 0; }
    // What the day's arrivals list shows, e.g. "済", "未記入 2名", "不足 1名".
    QString summary() const;
};
StayCompleteness stayCompleteness(const RegisterStay &stay, const std::vector<RegisterEntry> &made,
                                  const RegisterFields &fields);

// The warning before a bill is settled while its register is not complete.
QString checkoutWarningText(const StayCompleteness &c);
