#include "billing/lodging_tax_lines.h"

#include "billing/bill_amounts.h"
#include "storage/money_settings.h"

#include "storage/cp932.h"

#include <cstring>

#include <QStringList>
#include <algorithm>
#include <map>

namespace {
// Multiplies price by (100 + rate) / 100 once for each step up, divides by it for each step down.
void scale(TLodgingPrice &p, int steps, int rate)
{
    if (steps > 0) {
        p.Num *= 100 + rate;
        p.Den *= 100;
    } else if (steps < 0) {
        p.Num *= 100;
        p.Den *= 100 + rate;
    }
}
} // namespace

TLodgingPrice lodgingTierPrice(int64_t unitPrice, int64_t mealPart, int serviceRate, int taxRate,
                               const TBaseData &base, LodgingBasis basis)
{
    // Unit prices are 32-bit amounts and rates at most a few hundred percent: no overflow in 64 bits.
    TLodgingPrice p{unitPrice - mealPart, 1};
    const int inPrice = base.ServiceKubun == 0 ? 1 : 0, taxInPrice = base.TaxKubun == 0 ? 1 : 0;
    scale(p, (basis != LodgingBasis::Room ? 1 : 0) - inPrice, serviceRate);
    scale(p, (basis == LodgingBasis::RoomServiceTax ? 1 : 0) - taxInPrice, taxRate);
    return p;
}

bool readLodgingExemptNote(const TReserveData &line, int64_t *guestNights, QString *reason)
{
    const QString text = fieldText(line.Kamoku);
    if (!isLodgingNote(line) || !text.startsWith(LodgingExemptNotePrefix))
        return false;
    *guestNights = std::max<int64_t>(0, line.Suryou);
    *reason = text.mid(LodgingExemptNotePrefix.size());
    return true;
}

RecordList<TReserveData> withLodgingNotes(const RecordList<TReserveData> &lines, const std::vector<int32_t> &meals)
{
    RecordList<TReserveData> out;
    out.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        out.push_back(lines[i]);
        if (i < meals.size() && meals[i] >= 0 && lines[i].Kubun != 0) {
            TReserveData note{};
            std::memcpy(note.Rsvday, lines[i].Rsvday, sizeof note.Rsvday);
            std::memcpy(note.Room, lines[i].Room, sizeof note.Room);
            note.Kubun = LodgingNoteKey;
            setFieldText(note.Kamoku, QStringLiteral("うち食事代"));
            note.Tanka = meals[i];
            out.push_back(note);
        }
    }
    return out;
}

TReserveData lodgingExemptNote(int64_t guestNights, const QString &reason)
{
    TReserveData note{};
    note.Kubun = LodgingNoteKey;
    setFieldText(note.Kamoku, LodgingExemptNotePrefix + reason);
    note.Suryou = int32_t(std::clamp<int64_t>(guestNights, 0, INT32_MAX));
    return note;
}

TLodgingCharge lodgingChargeOfLine(const TReserveData &l, const QDate &billDate, int serviceRate,
                                   const TBaseData &base, const TMoneySettings &money, int64_t mealPart)
{
    const QDate lineDate = moneyDate(fieldText(l.Rsvday));
    const QDate night = lineDate.isValid() ? lineDate : billDate;
    const TRatesInForce rates = money.at(night, base);
    const int svc = serviceRate < 0 ? rates.Service : serviceRate;
    const int64_t meal = mealPart >= 0 ? mealPart : money.Lodging.mealPart(l.Kubun);
    return money.Lodging.charge(lodgingTierPrice(l.Tanka, meal, svc, rates.Standard, base, money.Lodging.basisAt(night)),
                                night);
}

std::vector<TLodgingNight> lodgingNightsOfLines(const RecordList<TReserveData> &lines,
                                                const std::vector<int32_t> &meals, const QDate &billDate,
                                                int serviceRate, const TBaseData &base, const TMoneySettings &money,
                                                const TLodgingExemption &exemption)
{
    std::vector<TLodgingNight> nights;
    for (int i = 0; i < int(lines.size()); ++i) {
        const TReserveData &l = lines[i];
        if (!money.Lodging.bearsTax(l.Kubun) || l.Suryou == 0)
            continue;
        const int64_t meal = size_t(i) < meals.size() ? meals[size_t(i)] : -1;
        const QDate lineDate = moneyDate(fieldText(l.Rsvday));
        nights.push_back({i, lineDate.isValid() ? lineDate : billDate,
                          lodgingChargeOfLine(l, billDate, serviceRate, base, money, meal), l.Suryou, 0});
    }
    if (exemption.All) {
        for (TLodgingNight &n : nights)
            n.Exempt = std::max<int64_t>(0, n.Persons);
        return nights;
    }
    // The exempt guests are the same guests every night: at each amount,
    // least first, the guest-nights are spread evenly over the nights, each
    // night's taken from its lines in order.
    int64_t left = std::max<int64_t>(0, exemption.GuestNights);
    std::map<int64_t, std::map<QDate, std::vector<size_t>>> levels; // amount -> night -> nights, in line order
    for (size_t k = 0; k < nights.size(); ++k)
        if (nights[k].Persons > 0)
            levels[nights[k].Charge.Amount][nights[k].Night].push_back(k);
    for (auto &[amount, dates] : levels) {
        std::vector<std::pair<int64_t, int64_t>> room; // per night: guests, given
        for (const auto &[date, ks] : dates) {
            int64_t guests = 0;
            for (size_t k : ks)
                guests += nights[k].Persons;
            room.push_back({guests, 0});
        }
        for (;;) {
            int64_t open = 0;
            for (const auto &[guests, given] : room)
                open += given < guests ? 1 : 0;
            if (left == 0 || open == 0)
                break;
            const int64_t share = std::max<int64_t>(1, left / open);
            for (auto &[guests, given] : room) {
                const int64_t g = std::min({share, guests - given, left});
                given += g;
                left -= g;
            }
        }
        size_t d = 0;
        for (const auto &[date, ks] : dates) {
            int64_t given = room[d++].second;
            for (size_t k : ks) {
                nights[k].Exempt = std::min(given, nights[k].Persons);
                given -= nights[k].Exempt;
            }
        }
    }
    return nights;
}

TLodgingTaxOfLines lodgingTaxOfLines(const RecordList<TReserveData> &lines, const QDate &billDate, int serviceRate,
                                     const TBaseData &base, const TMoneySettings &money,
                                     const std::vector<int32_t> &meals, const TLodgingExemption &exemption)
{
    TLodgingTaxOfLines r;
    if (!money.Lodging.Enabled)
        return r;
    for (const TLodgingNight &n : lodgingNightsOfLines(lines, meals, billDate, serviceRate, base, money, exemption)) {
        r.Exempt += n.Exempt;
        const int64_t taxed = n.Persons - n.Exempt;
        if (n.Charge.Amount == 0 || taxed == 0)
            continue;
        int64_t lineTax = 0, total = 0;
        if (!checkedMul(n.Charge.Amount, taxed, &lineTax) || !checkedAdd(r.Total, lineTax, &total)) {
            r.badLine = n.Line;
            return r;
        }
        r.Total = total;
        r.PersonsByAmount[n.Charge.Amount] += taxed;
    }
    return r;
}

QString lodgingTaxText(const TLodgingTax &tax, const std::map<int64_t, int64_t> &personsByAmount, bool english)
{
    QStringList parts;
    for (const auto &[amount, persons] : personsByAmount)
        parts << (english ? QStringLiteral("%1psn-nights * JPY%2").arg(persons).arg(amount)
                          : QStringLiteral("%1人泊×%2円").arg(persons).arg(amount));
    return (english ? tax.NameEn : tax.Name) + QLatin1Char('(') + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString lodgingExemptText(const TLodgingTax &tax, bool english)
{
    return english ? tax.NameEn + QStringLiteral("(exempt)") : tax.Name + QStringLiteral("(免除)");
}
