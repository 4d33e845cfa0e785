#pragma once
// The municipal accommodation tax (宿泊税): an amount per person and night
// chosen by the price per person and night, in tiers (a yen amount or a
// percentage of the price), by periods with a start date. Off until the inn
// turns it on; kept in the settings file beside the other dated money
// settings.

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

// From a price of From yen per person and night on: Amount yen, or Amount
// percent of the price (fractions of a yen dropped) when Percent.
struct TLodgingTier {
    int From = 0;
    int Amount = 0;
    bool Percent = false;
    bool operator==(const TLodgingTier &) const = default;
};

// The tiers in force from a start date on; no tiers: no tax from that date.
struct TLodgingPeriod {
    QDate From;
    std::vector<TLodgingTier> Tiers; // ascending by From
    bool operator==(const TLodgingPeriod &) const = default;
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
    // Whether the price that chooses the tier includes the service charge
    // and consumption tax (towns differ); otherwise the room price alone.
    bool PriceIncludesServiceAndTax = false;
    std::vector<TLodgingPeriod> Periods; // ascending by date; nothing is taxed before the first

    // The period in force on date; -1 before the first period.
    int periodAt(const QDate &date) const;
    // The charge for one person and one night at price on date; nothing while
    // the tax is off. A percentage of a price up to 2^31 cannot overflow.
    TLodgingCharge charge(int64_t price, const QDate &night) const;

    bool operator==(const TLodgingTax &) const = default;
};
