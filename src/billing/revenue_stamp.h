#pragma once
// The revenue stamp a cash receipt needs. A receipt of 50,000 yen or more
// carries a stamp whose value grows with the amount; the consumption tax
// does not count when the receipt states it apart, and what was paid by card
// needs no stamp at all.

#include "billing/bill_state.h"

#include <QString>
#include <cstdint>

// The stamp value for a receipt of this amount (as counted): 0 below 50,000
// yen, 200 yen up to 1,000,000, 400 up to 2,000,000, and so on.
int64_t revenueStampValue(int64_t counted);

struct TRevenueStamp {
    int64_t counted = 0;  // the amount the stamp goes by
    int64_t value = 0;    // 0: no stamp
    bool taxLeftOut = false;  // the stated consumption tax was taken out
    bool cardLeftOut = false; // the part paid by card was taken out
    bool needed() const { return value > 0; }
};

// The stamp of the bill's receipt: the amount received (row 7) less the
// consumption tax when taxStated (the receipt prints it), or, when part was
// paid by card, the rest paid otherwise (the tax then stays in: the receipt
// states no tax of that part alone). Paid wholly by card: none.
TRevenueStamp receiptRevenueStamp(const TBillState &bill, bool taxStated);

// What the clerk is told before such a receipt is printed.
QString revenueStampReminder(const TRevenueStamp &stamp);
