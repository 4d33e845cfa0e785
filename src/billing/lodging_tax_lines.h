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
#include <vector>

// The key of the bill's accommodation-tax line: an advance (account 1106)
// with item number 0, which the item master, numbering its advances from 1,
// never gives out, so no renumbering moves it. Generated with the bill like
// the service line; with amount 0 it marks a bill exempted from the tax.
inline constexpr uint32_t LodgingTaxKey = 1106000;
// Whether a stored line is that mark of an exempted bill.
inline bool marksLodgingExempt(const TReserveData &line) { return line.Kubun == LodgingTaxKey && line.Tanka == 0; }

// The key of a bill's accommodation-tax notes: the accommodation account's
// item 0, which the item master never gives out. A note has no amount (its
// price or its quantity is 0) and is never a line of the grid:
// - the meal part of the stay line it follows (うち食事代), kept with the bill
//   once the line has one: Tanka the meal part per person, Suryou 0;
// - guest-nights of the bill the town exempts: Suryou the guest-nights,
//   Tanka 0, Kamoku "免除:" and the reason.
inline constexpr uint32_t LodgingNoteKey = 1601000;
inline const QString LodgingExemptNotePrefix = QStringLiteral("免除:");
inline bool isLodgingNote(const TReserveData &line) { return line.Kubun == LodgingNoteKey; }
// The exemption such a note records (false for a meal note).
bool readLodgingExemptNote(const TReserveData &line, int64_t *guestNights, QString *reason);
// The notes to store: the meal part of each line that has its own (meals
// parallel to lines, -1 for none) right after it, then the exemption.
// lines are the bill's lines without notes; the result holds them with the notes.
RecordList<TReserveData> withLodgingNotes(const RecordList<TReserveData> &lines, const std::vector<int32_t> &meals);
TReserveData lodgingExemptNote(int64_t guestNights, const QString &reason);

// Guest-nights of a bill the town exempts, and the reason the bill gives.
struct TLodgingExemption {
    int64_t GuestNights = 0;
    QString Reason;
    bool All = false; // the whole bill is exempt
};

// One line's guest-nights, their charge, and how many of them are exempt.
struct TLodgingNight {
    int Line = -1;
    QDate Night;
    TLodgingCharge Charge;
    int64_t Persons = 0;
    int64_t Exempt = 0;
};

// The exact price per person and night that chooses the tier: the line's unit
// price less its meal part (both as the inn's prices hold service charge and
// tax), taken back to the room alone and counted as basis says.
// serviceRate is the rate the bill uses (0 with its service switch off).
TLodgingPrice lodgingTierPrice(int64_t unitPrice, int64_t mealPart, int serviceRate, int taxRate,
                               const TBaseData &base, LodgingBasis basis);

// The charge of one guest-night of a stay line: its date (billDate for a
// line without one) choosing the period and its unit price the tier.
// serviceRate as for lodgingTaxOfLines; mealPart the line's own, or -1 for its item's.
TLodgingCharge lodgingChargeOfLine(const TReserveData &line, const QDate &billDate, int serviceRate,
                                   const TBaseData &base, const TMoneySettings &money, int64_t mealPart = -1);

// The guest-nights of the lines that bear the tax, line by line, and which
// of them the exemption takes: every one for a whole bill, otherwise its
// number of guest-nights from those charged least first, so that an
// exemption never lowers the tax more than its guests owe; at one amount
// spread evenly over the nights (the same guests stay each night), each
// night's from its lines in order. meals: the lines' own meal parts (-1 or
// missing: the item's).
std::vector<TLodgingNight> lodgingNightsOfLines(const RecordList<TReserveData> &lines,
                                                const std::vector<int32_t> &meals, const QDate &billDate,
                                                int serviceRate, const TBaseData &base, const TMoneySettings &money,
                                                const TLodgingExemption &exemption = {});

struct TLodgingTaxOfLines {
    int64_t Total = 0;
    std::map<int64_t, int64_t> PersonsByAmount; // amount per person and night -> guest-nights taxed
    int64_t Exempt = 0;                          // guest-nights the exemption took
    int badLine = -1; // the line whose tax, or the total with it, does not fit an amount
    bool ok() const { return badLine < 0; }
};

// The tax of the lines; nothing while the tax is off. A line without a date
// takes billDate's period. serviceRate: the bill's service rate (0 with its
// switch off), or -1 for the rate in force on each line's night.
TLodgingTaxOfLines lodgingTaxOfLines(const RecordList<TReserveData> &lines, const QDate &billDate, int serviceRate,
                                     const TBaseData &base, const TMoneySettings &money,
                                     const std::vector<int32_t> &meals = {}, const TLodgingExemption &exemption = {});

// The tax's text in row 4 and on its line: the guest-nights at each amount,
// e.g. 宿泊税(4人泊×400円) or Accommodation Tax(4psn-nights * JPY400).
QString lodgingTaxText(const TLodgingTax &tax, const std::map<int64_t, int64_t> &personsByAmount, bool english);
// The text of an exempted bill's marker line: 宿泊税(免除).
QString lodgingExemptText(const TLodgingTax &tax, bool english);
