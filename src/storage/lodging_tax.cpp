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

std::map<uint32_t, TLodgingItem> TLodgingTax::defaultItems()
{
    // ペット宿泊料金 small, medium and large.
    return {{1601009, {true, 0}}, {1601010, {true, 0}}, {1601011, {true, 0}}};
}

QStringList TLodgingTax::defaultExemptReasons()
{
    return {QStringLiteral("修学旅行"), QStringLiteral("年齢"), QStringLiteral("その他")};
}

namespace {
// The adults' bathing-tax-exempt twins are their adult items for the tax.
uint32_t guestItem(uint32_t key) { return key == 1601991 ? 1601001 : key == 1601992 ? 1601002 : key; }
} // namespace

bool TLodgingTax::bearsTax(uint32_t key) const
{
    const uint32_t k = guestItem(key);
    if (k < 1601001 || k > 1601100)
        return false;
    const auto item = Items.find(k);
    return item == Items.end() || !item->second.NotGuest;
}

int TLodgingTax::mealPart(uint32_t key) const
{
    const auto item = Items.find(guestItem(key));
    return item == Items.end() ? 0 : item->second.MealPart;
}

LodgingBasis TLodgingTax::basisAt(const QDate &date) const
{
    if (Periods.empty())
        return LodgingBasis::Room;
    const int p = periodAt(date);
    return Periods[size_t(p < 0 ? 0 : p)].Basis;
}

TLodgingCharge TLodgingTax::charge(const TLodgingPrice &price, const QDate &night) const
{
    TLodgingCharge c;
    if (!Enabled || price.Num < 0 || price.Den <= 0)
        return c;
    c.Period = periodAt(night);
    if (c.Period < 0)
        return c;
    const std::vector<TLodgingTier> &tiers = Periods[c.Period].Tiers;
    // Bounds below 2^30 and denominators of a few hundred thousand: no overflow.
    for (int i = 0; i < int(tiers.size()); ++i)
        if (int64_t(tiers[i].From) * price.Den <= price.Num)
            c.Tier = i;
    if (c.Tier < 0)
        return c;
    const TLodgingTier &t = tiers[c.Tier];
    // Percent at most 100 and prices within 2^50: no overflow.
    c.Amount = t.Percent ? price.Num * t.Amount / (price.Den * 100) : t.Amount;
    return c;
}
