#include "billing/lodging_tax_lines.h"

#include "billing/bill_amounts.h"
#include "storage/money_settings.h"

#include "storage/cp932.h"

#include <QStringList>

bool bearsLodgingTax(uint32_t key)
{
    return key == 1601001 || key == 1601002 || key == 1601003 || key == 1601991 || key == 1601992;
}

int64_t lodgingTierPrice(int64_t unitPrice, int serviceRate, int taxRate, const TBaseData &base,
                         bool includesServiceAndTax)
{
    // Unit prices are 32-bit amounts and rates at most a few hundred percent: no overflow in 64 bits.
    int64_t p = unitPrice;
    if (includesServiceAndTax) {
        if (base.ServiceKubun != 0)
            p += p * serviceRate / 100;
        if (base.TaxKubun != 0)
            p += addedTax(p, taxRate);
    } else {
        if (base.TaxKubun == 0)
            p -= includedTax(p, taxRate);
        if (base.ServiceKubun == 0)
            p = p * 100 / (100 + serviceRate);
    }
    return p;
}

TLodgingCharge lodgingChargeOfLine(const TReserveData &l, const QDate &billDate, int serviceRate,
                                   const TBaseData &base, const TMoneySettings &money)
{
    const QDate lineDate = moneyDate(fieldText(l.Rsvday));
    const QDate night = lineDate.isValid() ? lineDate : billDate;
    const TRatesInForce rates = money.at(night, base);
    const int svc = serviceRate < 0 ? rates.Service : serviceRate;
    return money.Lodging.charge(
        lodgingTierPrice(l.Tanka, svc, rates.Standard, base, money.Lodging.PriceIncludesServiceAndTax), night);
}

TLodgingTaxOfLines lodgingTaxOfLines(const RecordList<TReserveData> &lines, const QDate &billDate, int serviceRate,
                                     const TBaseData &base, const TMoneySettings &money)
{
    TLodgingTaxOfLines r;
    if (!money.Lodging.Enabled)
        return r;
    for (int i = 0; i < int(lines.size()); ++i) {
        const TReserveData &l = lines[i];
        if (!bearsLodgingTax(l.Kubun) || l.Suryou == 0)
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
