#pragma once
// The municipal accommodation tax (宿泊税): an amount per person and night
// chosen by the price per person and night, in tiers (a yen amount or a
// percentage of the price), by periods with a start date. Off until the inn
// turns it on; kept in the settings file beside the other dated money
// settings.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

// The part of a tier's amount one authority levies (a town's 200 yen of a
// 300 yen tax whose other 100 yen are the prefecture's).
struct TLodgingShare {
    QString Authority;
    int Amount = 0;
    bool operator==(const TLodgingShare &) const = default;
};

// From a price of From yen per person and night on: Amount yen, or Amount
// percent of the price (fractions of a yen dropped) when Percent. Shares,
// when given, split a yen amount between the authorities that levy it and
// add up to it.
struct TLodgingTier {
    int From = 0;
    int Amount = 0;
    bool Percent = false;
    std::vector<TLodgingShare> Shares;
    bool operator==(const TLodgingTier &) const = default;
};

// What the price that chooses the tier counts, as the town sets it: the room
// alone, the room with the service charge, or both with the consumption tax.
// Meals are never counted.
enum class LodgingBasis : int { Room = 0, RoomService, RoomServiceTax };

// The tiers in force from a start date on, and how the price is counted;
// no tiers: no tax from that date.
struct TLodgingPeriod {
    QDate From;
    std::vector<TLodgingTier> Tiers; // ascending by From
    LodgingBasis Basis = LodgingBasis::Room;
    bool operator==(const TLodgingPeriod &) const = default;
};

// A price per person and night held exactly as Num / Den yen (Den > 0): a
// price worked back out of one with tax or service in it is compared with the
// bounds without rounding (109,999 with 10 % tax is below 100,000).
struct TLodgingPrice {
    int64_t Num = 0;
    int64_t Den = 1;
};

// What the tax needs of one item of the accommodation category: whether it
// is no guest (a pet, a room charge) and so bears no tax, and the part of its
// price per person that is meals (うち食事代), left out of the tier price.
struct TLodgingItem {
    bool NotGuest = false;
    int MealPart = 0;
    bool operator==(const TLodgingItem &) const = default;
};

// What one person's night is charged: the period and tier that chose the
// amount (-1 when none did: before the first period, below the first tier).
struct TLodgingCharge {
    int Period = -1;
    int Tier = -1;
    int64_t Amount = 0;
};

struct TLodgingTax {
    static constexpr int MaxAmount = 999999;      // yen per person and night
    static constexpr int MaxPrice = 999999999;    // a tier's lower bound

    bool Enabled = false;
    QString Name = QStringLiteral("宿泊税");
    QString NameEn = QStringLiteral("Accommodation Tax");
    std::vector<TLodgingPeriod> Periods; // ascending by date; nothing is taxed before the first
    // Items of the accommodation category by key; an item without an entry is
    // a guest without meal part. The pets are no guests until the inn says otherwise.
    std::map<uint32_t, TLodgingItem> Items = defaultItems();
    // The reasons a bill may give for guest-nights the town exempts.
    QStringList ExemptReasons = defaultExemptReasons();

    static std::map<uint32_t, TLodgingItem> defaultItems();
    static QStringList defaultExemptReasons();
    // Whether a bill line of this key is a guest's night that bears the tax:
    // every item of the accommodation category (the adults' bathing-tax-exempt
    // twins included) but those marked as no guest.
    bool bearsTax(uint32_t key) const;
    // The item's meal part per person (0 without one); the twins take their adult item's.
    int mealPart(uint32_t key) const;
    // How the price is counted on date (the basis of the period in force; before the first, the first's).
    LodgingBasis basisAt(const QDate &date) const;

    // The period in force on date; -1 before the first period.
    int periodAt(const QDate &date) const;
    // The charge for one person and one night at price on date; nothing while
    // the tax is off. A tier applies from its bound on, compared exactly; a
    // percentage drops the fractions of a yen of the exact price's share.
    TLodgingCharge charge(const TLodgingPrice &price, const QDate &night) const;
    TLodgingCharge charge(int64_t price, const QDate &night) const { return charge(TLodgingPrice{price, 1}, night); }

    bool operator==(const TLodgingTax &) const = default;
};
