#include "storage/lodging_tax.h"

#include <cstdint>

int TLodgingTax::periodAt(const QDate &date) const
{
    int found = -1;
    for (int i = 0; i < int(Periods.size()); ++i)
        if (Periods[i].From <= date)
            found = i;
    return found;
}

TLodgingCharge TLodgingTax::charge(int64_t price, const QDate &night) const
{
    TLodgingCharge c;
    if (!Enabled || price < 0)
        return c;
    c.Period = periodAt(night);
    if (c.Period < 0)
        return c;
    const std::vector<TLodgingTier> &tiers = Periods[c.Period].Tiers;
    for (int i = 0; i < int(tiers.size()); ++i)
        if (tiers[i].From <= price)
            c.Tier = i;
    if (c.Tier < 0)
        return c;
    const TLodgingTier &t = tiers[c.Tier];
    // Percent at most 100 and a price within 64 bits' hundredth: no overflow.
    c.Amount = t.Percent ? (price > INT64_MAX / 100 ? price / 100 * t.Amount : price * t.Amount / 100) : t.Amount;
    return c;
}
