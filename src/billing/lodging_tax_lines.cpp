#include "billing/lodging_tax_lines.h"

#include "billing/bill_amounts.h"
#include "storage/money_settings.h"

#include "storage/cp932.h"

#include <QStringList>

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

TLodgingCharge lodgingChargeOfLine(const TReserveData &l, const QDate &billDate, int serviceRate,
                                   const TBaseData &base, const TMoneySettings &money)
{
    const QDate lineDate = moneyDate(fieldText(l.Rsvday));
    const QDate night = lineDate.isValid() ? lineDate : billDate;
    const TRatesInForce rates = money.at(night, base);
    const int svc = serviceRate < 0 ? rates.Service : serviceRate;
    return money.Lodging.charge(lodgingTierPrice(l.Tanka, money.Lodging.mealPart(l.Kubun), svc, rates.Standard, base,
                                                 money.Lodging.basisAt(night)),
                                night);
}

TLodgingTaxOfLines lodgingTaxOfLines(const RecordList<TReserveData> &lines, const QDate &billDate, int serviceRate,
                                     const TBaseData &base, const TMoneySettings &money)
{
    TLodgingTaxOfLines r;
    if (!money.Lodging.Enabled)
        return r;
    for (int i = 0; i < int(lines.size()); ++i) {
        const TReserveData &l = lines[i];
        if (!money.Lodging.bearsTax(l.Kubun) || l.Suryou == 0)
            continue;
        const TLodgingCharge c = lodgingChargeOfLine(l, billDate, serviceRate, base, money);
        if (c.Amount == 0)
            continue;
        int64_t lineTax = 0, total = 0;
        if (!checkedMul(c.Amount, l.Suryou, &lineTax) || !checkedAdd(r.Total, lineTax, &total)) {
            r.badLine = i;
            return r;
        }
        r.Total = total;
        r.PersonsByAmount[c.Amount] += l.Suryou;
    }
    return r;
}

QString lodgingTaxText(const TLodgingTax &tax, const std::map<int64_t, int64_t> &personsByAmount, bool english)
{
    QStringList parts;
    for (const auto &[amount, persons] : personsByAmount)
        parts << (english ? QStringLiteral("%1psn-nights * JPY%2").arg(persons).arg(amount)
                          : QStringLiteral("%1名泊×%2円").arg(persons).arg(amount));
    return (english ? tax.NameEn : tax.Name) + QLatin1Char('(') + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString lodgingExemptText(const TLodgingTax &tax, bool english)
{
    return english ? tax.NameEn + QStringLiteral("(exempt)") : tax.Name + QStringLiteral("(免除)");
}
