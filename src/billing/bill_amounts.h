#pragma once
// Whole-yen arithmetic of the bill: amounts that fit the records' 32 bits,
// sums and products that never wrap, and the consumption tax of a base.

#include <QString>
#include <cstdint>
#include <limits>

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

// Tax added on top of a base at rate percent: rounded up unless the fraction
// is below 0.1. The base is an amount (32 bits), so neither can overflow.
int64_t addedTax(int64_t base, int rate);
// Tax contained in a base that includes it.
int64_t includedTax(int64_t base, int rate);
