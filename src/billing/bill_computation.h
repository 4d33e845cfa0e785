#pragma once
// The bill's totals: five sums over its lines, the service charge, and the
// eight summary rows (label and amount texts) that the bill window shows and
// the printed documents copy.

#include "billing/bill_amounts.h"
#include "billing/bill_state.h"
#include "storage/money_settings.h"
#include "storage/records.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>

// A message for the window to show: empty text means nothing to say.
struct TBillMessage {
    QString title;
    QString text;
    bool isEmpty() const { return text.isEmpty(); }
};


// Sums over every line of the bill, all pages.
struct TBillSums {
    int64_t charges = 0;  // every line outside account 1106
    int64_t advances = 0; // account 1106
    int64_t q = 0;        // adult person-nights: quantities of 1601001 and 1601002
    int64_t n = 0;        // nights: changes of date along those adult lines
    int64_t r = 0;        // adult day-use persons: quantities of 1601801 and 1601802
    int64_t reduced = 0;  // the part of charges whose items are at the reduced tax rate
    // -1 when every sum is an amount; else the index of the line whose own
    // amount, or whose addition to a sum, does not fit (the sums are then incomplete).
    int badLine = -1;
    bool ok() const { return badLine < 0; }
};
// reducedKeys (ascending) are the item keys at the reduced tax rate.
TBillSums billSums(const RecordList<TReserveData> &lines, const std::vector<uint32_t> &reducedKeys = {});


// The consumption tax of one bill, worked once per rate: the items at each
// rate, plus the amounts common to all (service charge, discount) spread over
// the rates in proportion to their items with the remainder on the standard
// rate, plus standardOnly (an amount of the standard rate alone, e.g. the
// bathing tax taken out of prices that include it). Standard rate first; a
// rate without items is left out unless it is the only one. False when a
// figure does not fit 64 bits (shares then incomplete).
bool taxShares(int64_t standardItems, int64_t reducedItems, int64_t common, int64_t standardOnly,
               const TRatesInForce &rates, bool added, std::vector<TTaxShare> *shares);
// The rates of the shares as the bill's row 3 names them: "10%" or "10%・8%"
// (English "10%/8%").
QString taxRatesLabel(const std::vector<TTaxShare> &shares, bool english);
// One line per rate with its taxable amount and tax, as a qualified invoice
// states them: "10%対象 ¥11,000 (内消費税 ¥1,000)", tax added
// "10%対象 ¥10,000 消費税 ¥1,000"; English "Subject to 10%: JPY 11,000
// (incl. consumption tax JPY 1,000)", tax added "Subject to 10%: JPY 10,000
// excl. tax, consumption tax JPY 1,000".
QStringList taxShareLines(const std::vector<TTaxShare> &shares, bool added, bool english);
// The same lines in their two pieces, the amount and the tax (joined by a
// blank they are taxShareLines), for a printout that must break a line.
QList<QStringList> taxSharePieces(const std::vector<TTaxShare> &shares, bool added, bool english);

// The bathing tax per person a line bears as the bill charges it: an adult
// stay the amount in force on the line's date, an adult day-use guest the
// day-use amount (none where the stay's amount is 0); a line without a date
// takes billRates. Amount 0 for every other line.
struct TBathingRate {
    int Amount = 0;
    bool Stay = false; // a stay (else a day use)
};
TBathingRate bathingRateOfLine(const TReserveData &line, const TRatesInForce &billRates, const TBaseData &base,
                               const TMoneySettings &money);

// The date whose settings a bill takes: its settlement date, today while it has none.
QDate billSettingsDate(const TBillState &bill);

// Reads an amount text: empty (or a lone "-") is 0; a whole number, also
// written with zero decimals ("12.00"), is its value. False for anything
// else, a fraction of a yen included.
bool readAmount(const QString &text, int64_t *value);

// The refusal of an amount field's text that readAmount does not take,
// field naming it ("値引きの金額"): a whole number out of range names the
// range, anything else asks for whole yen.
TBillMessage amountFieldMessage(const QString &field, const QString &text);

// Recomputes the eight summary rows of the bill from its lines, the settings
// and the window's choices. On refusal (an amount field that is not a whole
// number, a line amount, sum, product or rate result beyond the 32-bit
// amounts of the records: nothing wraps) nothing is changed and the message
// says why. A bill whose totals are refused must not be printed.
// The money settings in force on the settlement date apply (today's while
// the bill has none; the bathing tax by each line's date); without money
// settings, the default tax table and base's amounts.
TBillMessage CalcTotals(TBillState &bill, const TBaseData &base, const TMoneySettings &money = {});

// The refusal CalcTotals would give the bill, without changing it; empty when
// its totals compute. Nothing is printed of a bill that has one.
TBillMessage totalsRefusal(const TBillState &bill, const TBaseData &base, const TMoneySettings &money = {});
