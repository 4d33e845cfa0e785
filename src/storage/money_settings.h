#pragma once
// The money settings that change with time: consumption-tax rates, the
// service-charge rate and the two bathing-tax amounts, each as periods with a
// start date, so that a bill or a report always takes the values in force on
// its own date. Kept in the settings file; base.dat holds the values in force
// today, as before, and is the only source while a setting has no periods.
// Also the facility's invoice registration number, kept beside them.

#include "storage/lodging_tax.h"
#include "storage/records.h"

#include <QDate>
#include <QString>
#include <array>
#include <vector>

// Consumption-tax rates from a start date on; Reduced 0: no reduced rate
// (every item at the standard rate).
struct TTaxPeriod {
    QDate From;
    int Standard = 0;
    int Reduced = 0;
    bool operator==(const TTaxPeriod &) const = default;
};

// An amount or rate from a start date on; an invalid From: since always.
struct TAmountPeriod {
    QDate From;
    int Value = 0;
    bool operator==(const TAmountPeriod &) const = default;
};

// The dated money settings kinds, in the order of TMoneySettings::Amounts.
enum MoneySetting : int {
    SettingService = 0,  // service-charge rate, percent (TBaseData::Service)
    SettingNyutouzei,    // bathing tax per adult and night (TBaseData::Nyutouzei)
    SettingDayNyutouzei, // bathing tax per adult day-use guest (TBaseData::DayNyutouzei)
    MoneySettingKinds
};

// The values in force on one date.
struct TRatesInForce {
    int Standard = 0;     // consumption tax, percent
    int Reduced = 0;      // reduced consumption tax, percent; equals Standard when there is none
    int Service = 0;
    int Nyutouzei = 0;
    int DayNyutouzei = 0;
    // The rate of a line, by whether its item is at the reduced rate.
    int taxRate(bool reducedItem) const { return reducedItem ? Reduced : Standard; }
};

struct TMoneySettings {
    // Ascending by date; the first period also covers every earlier date.
    std::vector<TTaxPeriod> TaxRates = defaultTaxRates();
    bool FixedTax = false; // 税率を固定する: every date at FixedRate, one rate for every item
    int FixedRate = 10;
    // Ascending by date; empty: base.dat's value on every date.
    std::array<std::vector<TAmountPeriod>, MoneySettingKinds> Amounts;
    QString RegistrationNo; // "T" and 13 digits, empty when not registered
    TLodgingTax Lodging;    // the municipal accommodation tax, off by default

    static std::vector<TTaxPeriod> defaultTaxRates();

    // The values in force on date (an invalid date: today by the clock).
    TRatesInForce at(const QDate &date, const TBaseData &base) const;
    // One dated amount in force on date; base.dat's value without periods.
    int amountAt(MoneySetting kind, const QDate &date, const TBaseData &base) const;
    // The value base.dat holds for a kind.
    static int baseValue(MoneySetting kind, const TBaseData &base);
    static void setBaseValue(MoneySetting kind, TBaseData &base, int value);

    // Makes value apply from date on (replacing any period starting there and
    // dropping the later ones' claim only where they start on the same day);
    // the periods before keep their values. A setting without periods first
    // gets one since always with base.dat's current value, so the past keeps it.
    void setAmountFrom(MoneySetting kind, const QDate &from, int value, const TBaseData &base);
    // Puts the values in force on today into base (what base.dat stores).
    void applyToday(TBaseData &base, const QDate &today) const;

    bool operator==(const TMoneySettings &) const = default;
};

// A date of the settings texts, yyyy/mm/dd (also yyyy-mm-dd); invalid when none.
QDate moneyDate(const QString &text);
QString moneyDateText(const QDate &date);

// The consumption-tax table as one text and back: "2014/04/01:8;2019/10/01:10/8".
QString taxRatesText(const std::vector<TTaxPeriod> &rates);
// Empty message when the text reads as a table (dates ascending, rates 0 to
// 100, at least one period); otherwise why not, and rates is unchanged.
QString readTaxRates(const QString &text, std::vector<TTaxPeriod> *rates);
// The check of a table however it was entered: empty when sound.
QString checkTaxRates(const std::vector<TTaxPeriod> &rates);
// Dated amounts as one text and back: "150;2026/12/16:200" (the first
// without a date: since always).
QString amountPeriodsText(const std::vector<TAmountPeriod> &periods);
QString readAmountPeriods(const QString &text, int max, std::vector<TAmountPeriod> *periods);

// The accommodation tax's table and setting (in force by TLodgingTax::charge).
// The periods as one text and back:
// "2026/03/01:0=200,6000=400,20000=1000;2027/04/01:0=2%".
QString lodgingPeriodsText(const std::vector<TLodgingPeriod> &periods);
// Empty message when the text reads as a table checkLodgingPeriods accepts;
// otherwise why not, and periods is unchanged.
QString readLodgingPeriods(const QString &text, std::vector<TLodgingPeriod> *periods);
// The check of a table however it was entered: dates valid and ascending,
// tiers ascending from bounds 0 to MaxPrice, amounts 0 to MaxAmount yen or
// 0 to 100 percent. Empty when sound.
QString checkLodgingPeriods(const std::vector<TLodgingPeriod> &periods);
// How the price is counted, as the settings file names it: "room",
// "room+service", "room+service+tax"; and back (false for another text).
QString lodgingBasisText(LodgingBasis basis);
bool readLodgingBasis(const QString &text, LodgingBasis *basis);
// The bases of the periods as one text, dated like the tiers:
// "2018/10/01:room;2026/03/01:room+service"; a text without dates
// ("room+service") applies to every period. Empty message when it reads
// (periods then take their bases), otherwise why not.
QString lodgingBasesText(const std::vector<TLodgingPeriod> &periods);
QString readLodgingBases(const QString &text, std::vector<TLodgingPeriod> *periods);
// The items' marks as one text: "1601009:notguest;1601013:meal=8800".
QString lodgingItemsText(const std::map<uint32_t, TLodgingItem> &items);
QString readLodgingItems(const QString &text, std::map<uint32_t, TLodgingItem> *items);
// One tier's shares as the clerk types and reads them: "町200+県100" (the
// authority's name, then its yen; "+", "＋", "、" or "," between shares).
// Empty message when it reads (an empty text: no shares), otherwise why not.
QString lodgingSharesText(const std::vector<TLodgingShare> &shares);
QString readLodgingShares(const QString &text, std::vector<TLodgingShare> *shares);
// The shares of every period's tiers as one text, by period and bound:
// "2026/04/01:0=町200+県100,20000=町400+県100"; tiers without shares are
// left out. Read after the periods they belong to.
QString lodgingPeriodSharesText(const std::vector<TLodgingPeriod> &periods);
QString readLodgingPeriodShares(const QString &text, std::vector<TLodgingPeriod> *periods);
// The reasons of exemption, one text: "修学旅行,年齢,その他".
QString readLodgingExemptReasons(const QString &text, QStringList *reasons);
// The check of the whole setting: a table, and names when it is on.
QString checkLodgingTax(const TLodgingTax &tax);

// Section and keys of the settings file.
inline const QString MoneySection = QStringLiteral("MoneySettings");

class IniFile;
// Reads the money settings from the settings file; a value that does not
// read leaves the default and its message is returned (empty when all read).
QString readMoneySettings(const IniFile &ini, TMoneySettings *money);
void writeMoneySettings(IniFile &ini, const TMoneySettings &money);

// Registration numbers: "T" and 13 digits.
enum class RegistrationCheck {
    Valid,        // well formed and the check digit holds
    BadCheckDigit, // well formed, but the first digit is not the check digit of the other twelve
    Malformed,    // not "T" and 13 digits
};
RegistrationCheck checkRegistrationNo(const QString &text);
// The check digit (first of the 13) the corporate-number scheme gives to the other twelve digits.
int registrationCheckDigit(const QString &twelveDigits);
