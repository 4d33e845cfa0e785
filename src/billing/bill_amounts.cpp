#include "bill_amounts.h"

#include <QLocale>

QString amountRangeText()
{
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::DefaultNumberOptions); // with thousands separators
    return QStringLiteral("%1円から%2円まで")
        .arg(c.toString(std::numeric_limits<int32_t>::min()), c.toString(std::numeric_limits<int32_t>::max()));
}

bool checkedAdd(int64_t a, int64_t b, int64_t *r)
{
    int64_t v = 0;
    if (__builtin_add_overflow(a, b, &v) || !fitsAmount(v))
        return false;
    *r = v;
    return true;
}

bool checkedSub(int64_t a, int64_t b, int64_t *r)
{
    int64_t v = 0;
    if (__builtin_sub_overflow(a, b, &v) || !fitsAmount(v))
        return false;
    *r = v;
    return true;
}

bool checkedMul(int64_t a, int64_t b, int64_t *r)
{
    int64_t v = 0;
    if (__builtin_mul_overflow(a, b, &v) || !fitsAmount(v))
        return false;
    *r = v;
    return true;
}

int64_t addedTax(int64_t base, int rate) { return (rate * base + 90) / 100; }

int64_t includedTax(int64_t base, int rate) { return rate * base / (100 + rate); }
