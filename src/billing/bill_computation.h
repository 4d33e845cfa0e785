#pragma once
// The bill's totals: five sums over its lines, the service charge, and the
// eight summary rows (label and amount texts) that the bill window shows and
// the printed documents copy.

#include "billing/bill_state.h"
#include "storage/records.h"

#include <QString>
#include <cstdint>

// A message for the window to show: empty text means nothing to say.
struct TBillMessage {
    QString title;
    QString text;
    bool isEmpty() const { return text.isEmpty(); }
};

// Consumption tax rate in percent; not a setting.
inline constexpr int ConsumptionTaxRate = 8;

// Sums over every line of the bill, all pages.
struct TBillSums {
    int64_t charges = 0;  // every line outside account 1106
    int64_t advances = 0; // account 1106
    int64_t q = 0;        // adult person-nights: quantities of 1601001 and 1601002
    int64_t n = 0;        // nights: changes of date along those adult lines
    int64_t r = 0;        // adult day-use persons: quantities of 1601801 and 1601802
};
TBillSums billSums(const RecordList<TReserveData> &lines);

// Tax added on top of a base: 8 % rounded up unless the fraction is below 0.1.
int64_t addedTax(int64_t base);
// Tax contained in a base that includes it.
int64_t includedTax(int64_t base);

// Reads an amount text: empty (or a lone "-") is 0; a whole number, also
// written with zero decimals ("12.00"), is its value. False for anything
// else, a fraction of a yen included.
bool readAmount(const QString &text, int64_t *value);

// Recomputes the eight summary rows of the bill from its lines, the settings
// and the window's choices. On refusal (an amount field that is not a whole
// number, a result beyond the 32-bit amounts of the records) nothing is
// changed and the message says why.
TBillMessage CalcTotals(TBillState &bill, const TBaseData &base);
