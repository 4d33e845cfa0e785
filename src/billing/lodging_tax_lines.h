#pragma once
// The accommodation tax of a bill's stay lines: each line is one night for
// its quantity of guests, its date choosing the period and its unit price
// (counted with or without the service charge and consumption tax, as the
// town counts it) choosing the tier.

#include "billing/bill_state.h"
#include "storage/money_settings.h"
#include "storage/records.h"

#include <cstdint>
#include <map>

// The key of the bill's accommodation-tax line: an advance (account 1106)
// with item number 0, which the item master, numbering its advances from 1,
// never gives out, so no renumbering moves it. Generated with the bill like
// the service line; with amount 0 it marks a bill exempted from the tax.
inline constexpr uint32_t LodgingTaxKey = 1106000;
// Whether a stored line is that mark of an exempted bill.
inline bool marksLodgingExempt(const TReserveData &line) { return line.Kubun == LodgingTaxKey && line.Tanka == 0; }

// The exact price per person and night that chooses the tier: the line's unit
// price less its meal part (both as the inn's prices hold service charge and
// tax), taken back to the room alone and counted as basis says.
// serviceRate is the rate the bill uses (0 with its service switch off).
TLodgingPrice lodgingTierPrice(int64_t unitPrice, int64_t mealPart, int serviceRate, int taxRate,
                               const TBaseData &base, LodgingBasis basis);

// The charge of one guest-night of a stay line: its date (billDate for a
// line without one) choosing the period and its unit price the tier.
// serviceRate as for lodgingTaxOfLines.
TLodgingCharge lodgingChargeOfLine(const TReserveData &line, const QDate &billDate, int serviceRate,
                                   const TBaseData &base, const TMoneySettings &money);

struct TLodgingTaxOfLines {
    int64_t Total = 0;
    std::map<int64_t, int64_t> PersonsByAmount; // amount per person and night -> guest-nights
    int badLine = -1; // the line whose tax, or the total with it, does not fit an amount
    bool ok() const { return badLine < 0; }
};

// The tax of the lines; nothing while the tax is off. A line without a date
// takes billDate's period. serviceRate: the bill's service rate (0 with its
// switch off), or -1 for the rate in force on each line's night.
TLodgingTaxOfLines lodgingTaxOfLines(const RecordList<TReserveData> &lines, const QDate &billDate, int serviceRate,
                                     const TBaseData &base, const TMoneySettings &money);

// The tax's text in row 4 and on its line: the guest-nights at each amount,
// e.g. 宿泊税(4名泊×400円) or Accommodation Tax(4psn-nights * JPY400).
QString lodgingTaxText(const TLodgingTax &tax, const std::map<int64_t, int64_t> &personsByAmount, bool english);
// The text of an exempted bill's marker line: 宿泊税(免除).
QString lodgingExemptText(const TLodgingTax &tax, bool english);
