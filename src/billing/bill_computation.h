#pragma once
// The bill's totals: five sums over its lines, the service charge, and the
// eight summary rows (label and amount texts) that the bill window shows and
// the printed documents copy.

#include "billing/bill_state.h"
#include "storage/records.h"

#include <QString>
#include <cstdint>
#include <limits>

// A message for the window to show: empty text means nothing to say.
struct TBillMessage {
    QString title;
    QString text;
    bool isEmpty() const { return text.isEmpty(); }
};

// Consumption tax rate in percent; not a setting.
inline constexpr int ConsumptionTaxRate = 8;

// Amounts are whole yen, held in 32 bits by the records: every amount the
// bill shows, stores or prints must fit.
inline bool fitsAmount(int64_t v) { return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max(); }
// The amount range as the messages name it.
QString amountRangeText();
// a + b, a - b and a * b without ever wrapping: false when the exact result
// does not fit an amount (*r is then unchanged).
bool checkedAdd(int64_t a, int64_t b, int64_t *r);
bool checkedSub(int64_t a, int64_t b, int64_t *r);
bool checkedMul(int64_t a, int64_t b, int64_t *r);

// Sums over every line of the bill, all pages.
struct TBillSums {
    int64_t charges = 0;  // every line outside account 1106
    int64_t advances = 0; // account 1106
    int64_t q = 0;        // adult person-nights: quantities of 1601001 and 1601002
    int64_t n = 0;        // nights: changes of date along those adult lines
    int64_t r = 0;        // adult day-use persons: quantities of 1601801 and 1601802
    // -1 when every sum is an amount; else the index of the line whose own
    // amount, or whose addition to a sum, does not fit (the sums are then incomplete).
    int badLine = -1;
    bool ok() const { return badLine < 0; }
};
TBillSums billSums(const RecordList<TReserveData> &lines);

// Tax added on top of a base: 8 % rounded up unless the fraction is below 0.1.
// The base is an amount (32 bits), so neither can overflow.
int64_t addedTax(int64_t base);
// Tax contained in a base that includes it.
int64_t includedTax(int64_t base);

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
TBillMessage CalcTotals(TBillState &bill, const TBaseData &base);

// The refusal CalcTotals would give the bill, without changing it; empty when
// its totals compute. Nothing is printed of a bill that has one.
TBillMessage totalsRefusal(const TBillState &bill, const TBaseData &base);
