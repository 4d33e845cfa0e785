#include "bill_computation.h"

#include "billing/lodging_tax_lines.h"

#include "storage/clock.h"
#include "storage/cp932.h"

#include <QLocale>
#include <QRegularExpression>
#include <limits>
#include <map>

namespace {

// Plain labels of the eight rows; rows 1 and 6 are labelled by their selectors.
const std::array<QString, BillRows> JapaneseLabels = {
    QStringLiteral("サービス料"), QStringLiteral("値引き"),       QStringLiteral("料金計"),
    QStringLiteral("(内 消費税)"), QStringLiteral("立替金"),       QStringLiteral("ご利用額合計"),
    QStringLiteral("ご予約金"),   QStringLiteral("ご請求金額"),
};
const std::array<QString, BillRows> EnglishLabels = {
    QStringLiteral("Service Charge"), QStringLiteral("Discount"), QStringLiteral("Charge"),
    QStringLiteral("Consumption Tax"), QStringLiteral("Advance"), QStringLiteral("Total"),
    QStringLiteral("Deposit"),        QStringLiteral("Balance"),
};

// A product of two 64-bit values that must not wrap (a rate times a sum, before its division).
bool mul64(int64_t a, int64_t b, int64_t *r) { return !__builtin_mul_overflow(a, b, r); }

TBillMessage rangeRefusal()
{
    return {QStringLiteral("エラー"), QStringLiteral("金額の合計が扱える範囲(%1)を超えています。\n"
                                                   "明細の単価と数量を確認してください")
                                       .arg(amountRangeText())};
}

QString num(int64_t v) { return QString::number(v); }

// The bathing tax's text in row 4 or beside row 2: persons × amount, × nights when even.
QString bathingText(bool english, int64_t bath, int64_t dbath, int64_t q, int64_t n, int64_t r, bool even, int R,
                    int D)
{
    if (bath != 0 && dbath != 0) {
        if (english)
            return QStringLiteral("BathingTax(") + num(q) + QStringLiteral("psn * JPY") + num(R) + QStringLiteral(" ")
                + num(r) + QStringLiteral("psn * JPY") + num(D) + QStringLiteral(")");
        return QStringLiteral("入湯税(") + num(q) + QStringLiteral("名×") + num(R) + QStringLiteral("円 ") + num(r)
            + QStringLiteral("名×") + num(D) + QStringLiteral("円)");
    }
    if (bath != 0) {
        if (english) {
            if (even)
                return QStringLiteral("BathingTax(") + num(q / n) + QStringLiteral("psn * JPY") + num(R)
                    + QStringLiteral("*") + num(n) + (n == 1 ? QStringLiteral("night)") : QStringLiteral("nights)"));
            return QStringLiteral("BathingTax(") + num(q) + QStringLiteral("psn * JPY") + num(R) + QStringLiteral(")");
        }
        if (even)
            return QStringLiteral("入湯税(") + num(q / n) + QStringLiteral("名様×") + num(R) + QStringLiteral("円×")
                + num(n) + QStringLiteral("泊)");
        return QStringLiteral("入湯税(延") + num(q) + QStringLiteral("名様×") + num(R) + QStringLiteral("円)");
    }
    if (english)
        return QStringLiteral("DayUseBathingTax(") + num(r) + QStringLiteral("psn * JPY") + num(D) + QStringLiteral(")");
    return QStringLiteral("日帰り入湯税(延") + num(r) + QStringLiteral("名様×") + num(D) + QStringLiteral("円)");
}

// The bathing tax when its amount changed during the stay: persons × amount per amount in force.
QString datedBathingText(bool english, const std::map<int, int64_t> &stays, const std::map<int, int64_t> &dayUses)
{
    QStringList parts;
    for (const auto *group : {&stays, &dayUses})
        for (const auto &[rate, persons] : *group)
            parts << (english ? num(persons) + QStringLiteral("psn * JPY") + num(rate)
                              : num(persons) + QStringLiteral("名×") + num(rate) + QStringLiteral("円"));
    return (english ? QStringLiteral("BathingTax(") : QStringLiteral("入湯税(")) + parts.join(QLatin1Char(' '))
        + QStringLiteral(")");
}

bool isAdultStay(uint32_t key) { return key == 1601001 || key == 1601002; }
bool isAdultDayUse(uint32_t key) { return key == 1601801 || key == 1601802; }

} // namespace

TBillSums billSums(const RecordList<TReserveData> &lines, const std::vector<uint32_t> &reducedKeys)
{
    TBillSums s;
    QByteArray lastDate;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TReserveData &l = lines[i];
        int64_t amount = 0;
        int64_t &sum = l.Kubun / 1000 == 1106 ? s.advances : s.charges;
        bool ok = checkedMul(l.Tanka, l.Suryou, &amount) && checkedAdd(sum, amount, &sum);
        if (ok && l.Kubun / 1000 != 1106 && std::binary_search(reducedKeys.begin(), reducedKeys.end(), l.Kubun))
            ok = checkedAdd(s.reduced, amount, &s.reduced);
        if (ok && isAdultStay(l.Kubun)) {
            ok = checkedAdd(s.q, l.Suryou, &s.q);
            const QByteArray date = fieldBytes(l.Rsvday);
            if (date != lastDate) {
                ++s.n;
                lastDate = date;
            }
        }
        if (ok && isAdultDayUse(l.Kubun))
            ok = checkedAdd(s.r, l.Suryou, &s.r);
        if (!ok) {
            s.badLine = int(i);
            return s;
        }
    }
    return s;
}

bool taxShares(int64_t standardItems, int64_t reducedItems, int64_t common, int64_t standardOnly,
               const TRatesInForce &rates, bool added, std::vector<TTaxShare> *shares)
{
    shares->clear();
    const bool two = rates.Reduced != rates.Standard && reducedItems != 0;
    int64_t standard = 0, reduced = 0, items = 0;
    bool ok = true;
    if (!two) {
        ok = !__builtin_add_overflow(standardItems, reducedItems, &standard)
            && !__builtin_add_overflow(standard, common, &standard);
    } else {
        // The common amounts follow the items; what the division leaves goes to the standard rate.
        int64_t part = 0;
        ok = !__builtin_add_overflow(standardItems, reducedItems, &items)
            && !__builtin_mul_overflow(common, reducedItems, &part);
        const int64_t reducedCommon = ok && items != 0 ? part / items : 0;
        ok = ok && !__builtin_add_overflow(reducedItems, reducedCommon, &reduced)
            && !__builtin_add_overflow(standardItems, common - reducedCommon, &standard);
    }
    ok = ok && !__builtin_add_overflow(standard, standardOnly, &standard);
    // rate * base must not wrap either; 100 is the largest rate.
    constexpr int64_t limit = (std::numeric_limits<int64_t>::max() - 100) / 200;
    if (!ok || standard > limit || standard < -limit || reduced > limit || reduced < -limit)
        return false;
    const auto share = [added](int rate, bool isReduced, int64_t base) {
        return TTaxShare{rate, isReduced, base, added ? addedTax(base, rate) : includedTax(base, rate)};
    };
    if (!two || standardItems != 0 || standard != 0)
        shares->push_back(share(rates.Standard, false, standard));
    if (two)
        shares->push_back(share(rates.Reduced, rates.Reduced < rates.Standard, reduced));
    return true;
}

QString taxRatesLabel(const std::vector<TTaxShare> &shares, bool english)
{
    QStringList rates;
    for (const TTaxShare &t : shares)
        rates << num(t.Rate) + QStringLiteral("%");
    return rates.join(english ? QStringLiteral("/") : QStringLiteral("・"));
}

QList<QStringList> taxSharePieces(const std::vector<TTaxShare> &shares, bool added, bool english)
{
    const auto money = [english](int64_t v) {
        const QString t = QLocale(QLocale::English).toString(qlonglong(v));
        return english ? QStringLiteral("JPY ") + t : QStringLiteral("¥") + t;
    };
    QList<QStringList> out;
    for (const TTaxShare &t : shares) {
        const QString rate = num(t.Rate) + QStringLiteral("%");
        if (english && added)
            out << QStringList{QStringLiteral("Subject to %1: %2 excl. tax,").arg(rate, money(t.Base)),
                               QStringLiteral("consumption tax %1").arg(money(t.Tax))};
        else if (english)
            out << QStringList{QStringLiteral("Subject to %1: %2").arg(rate, money(t.Base)),
                               QStringLiteral("(incl. consumption tax %1)").arg(money(t.Tax))};
        else if (added)
            out << QStringList{QStringLiteral("%1対象 %2").arg(rate, money(t.Base)),
                               QStringLiteral("消費税 %1").arg(money(t.Tax))};
        else
            out << QStringList{QStringLiteral("%1対象 %2").arg(rate, money(t.Base)),
                               QStringLiteral("(内消費税 %1)").arg(money(t.Tax))};
    }
    return out;
}

QStringList taxShareLines(const std::vector<TTaxShare> &shares, bool added, bool english)
{
    QStringList out;
    for (const QStringList &pieces : taxSharePieces(shares, added, english))
        out << pieces.join(QLatin1Char(' '));
    return out;
}

TBathingRate bathingRateOfLine(const TReserveData &l, const TRatesInForce &billRates, const TBaseData &base,
                               const TMoneySettings &money)
{
    const bool stay = isAdultStay(l.Kubun);
    if (!stay && !isAdultDayUse(l.Kubun))
        return {};
    const QDate d = moneyDate(fieldText(l.Rsvday));
    const TRatesInForce at = d.isValid() ? money.at(d, base) : billRates;
    // A facility without the stay's bathing tax charges no day-use one either.
    return {at.Nyutouzei == 0 ? 0 : (stay ? at.Nyutouzei : at.DayNyutouzei), stay};
}

QDate billSettingsDate(const TBillState &bill)
{
    const QDate d = moneyDate(bill.SeisanDay);
    return d.isValid() ? d : Clock::now().date();
}

bool readAmount(const QString &text, int64_t *value)
{
    static const QRegularExpression form(QStringLiteral("^(-?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return false;
    const QString digits = m.captured(2);
    const QString decimals = m.captured(3);
    for (QChar c : decimals)
        if (c != QLatin1Char('0'))
            return false; // a fraction of a yen
    if (digits.isEmpty()) {
        if (!decimals.isEmpty() || t.contains(QLatin1Char('.')))
            return false; // "." or "-.0" is no number
        *value = 0;       // empty, or a lone minus sign still being typed
        return true;
    }
    bool ok = false;
    const qlonglong v = digits.toLongLong(&ok);
    if (!ok || v > std::numeric_limits<int32_t>::max())
        return false;
    *value = m.captured(1).isEmpty() ? v : -v;
    return true;
}

TBillMessage amountFieldMessage(const QString &field, const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+(\\.0*)?$"));
    if (integer.match(text.trimmed()).hasMatch())
        return {QStringLiteral("エラー"), QStringLiteral("%1は%2の範囲で入力してください").arg(field, amountRangeText())};
    return {QStringLiteral("エラー"), QStringLiteral("%1は円単位の整数で入力してください").arg(field)};
}

namespace {

// The accommodation tax a pass charged and its text in row 4.
struct TLodgingPart {
    int64_t Tax = 0;
    QString Text;
    QString Name;
};

// The whole computation on a bill it does not change: results into amount and label.
TBillMessage computeTotals(const TBillState &bill, const TBaseData &base, const TMoneySettings &money,
                           std::array<QString, 9> &amount, std::array<QString, BillRows> &label,
                           std::vector<TTaxShare> &shares, TLodgingPart &lodging)
{
    const bool english = bill.LangFlag != 0;
    const auto &plain = english ? EnglishLabels : JapaneseLabels;
    const QDate billDate = billSettingsDate(bill);
    const TRatesInForce rates = money.at(billDate, base);
    const TBillSums s = billSums(bill.Lines, bill.ReducedKeys);
    if (!s.ok()) {
        int64_t amount = 0;
        const TReserveData &l = bill.Lines[size_t(s.badLine)];
        if (checkedMul(l.Tanka, l.Suryou, &amount))
            return rangeRefusal();
        return {QStringLiteral("エラー"),
                QStringLiteral("%1ページ %2行目の明細の金額（単価×数量）が扱える範囲(%3)を超えています。\n"
                               "明細の単価と数量を確認してください")
                    .arg(s.badLine / BillPageLines + 1)
                    .arg(s.badLine % BillPageLines + 1)
                    .arg(amountRangeText())};
    }

    amount = bill.SaNumEdit;
    for (int i = 0; i < BillRows; ++i)
        if (i != RowDiscount && i != RowDeposit)
            label[i] = plain[i];

    // Every sum, product and rate below is checked: a result that is no
    // amount refuses the whole computation instead of wrapping.
    bool ok = true;
    const auto add = [&ok](int64_t a, int64_t b) {
        int64_t r = 0;
        ok = ok && checkedAdd(a, b, &r);
        return r;
    };
    const auto sub2 = [&ok](int64_t a, int64_t b) {
        int64_t r = 0;
        ok = ok && checkedSub(a, b, &r);
        return r;
    };
    const auto mul = [&ok](int64_t a, int64_t b) {
        int64_t r = 0;
        ok = ok && checkedMul(a, b, &r);
        return r;
    };

    // Row 0: service charge.
    int64_t svc = 0;
    if (bill.CheckBox1) {
        int64_t product = 0;
        ok = mul64(int64_t(rates.Service), s.charges, &product) && fitsAmount(product / 100);
        svc = ok ? product / 100 : 0;
    }
    if (svc == 0) {
        label[RowService] = BillPlaceholder;
        amount[RowService].clear();
    } else {
        const QString text = plain[RowService] + num(rates.Service) + QStringLiteral("%");
        if (base.ServiceKubun == 0)
            label[RowService] = english ? QStringLiteral("(inclusive ") + text + QStringLiteral(")")
                                        : QStringLiteral("(内") + text + QStringLiteral(")");
        else
            label[RowService] = text;
        amount[RowService] = num(svc);
    }

    // Rows 1 and 2: discount and charge subtotal.
    if (bill.NebikiCombo.text(bill.LangFlag) == BillPlaceholder)
        amount[RowDiscount].clear();
    int64_t disc = 0;
    if (!readAmount(amount[RowDiscount], &disc))
        return amountFieldMessage(QStringLiteral("値引きの金額"), amount[RowDiscount]);
    const int64_t subtotal = add(add(s.charges, disc), base.ServiceKubun != 0 ? svc : 0);
    amount[RowCharge] = num(subtotal);

    // Row 3: consumption tax. The bathing tax goes by each line's own date
    // (a line without one by the bill's), grouped by the amount in force.
    std::map<int, int64_t> stays, dayUses; // amount per person -> persons
    int64_t bath = 0, dbath = 0;
    if (bill.CheckBox2) {
        for (const TReserveData &l : bill.Lines) {
            const TBathingRate rate = bathingRateOfLine(l, rates, base, money);
            if (rate.Amount == 0)
                continue;
            int64_t &persons = (rate.Stay ? stays : dayUses)[rate.Amount];
            persons = add(persons, l.Suryou);
        }
        for (const auto &[rate, persons] : stays)
            bath = add(bath, mul(rate, persons));
        for (const auto &[rate, persons] : dayUses)
            dbath = add(dbath, mul(rate, persons));
    }
    const int64_t bathing = add(bath, dbath);
    const int64_t common = add(disc, base.ServiceKubun != 0 ? svc : 0);
    if (!ok)
        return rangeRefusal();
    const bool added = base.TaxKubun != 0;
    if (!taxShares(s.charges - s.reduced, s.reduced, common, base.Nyutou_Kubun == 0 ? -bathing : 0, rates, added,
                   &shares))
        return rangeRefusal();
    int64_t tax = 0, shownTax = 0;
    for (const TTaxShare &t : shares)
        shownTax = add(shownTax, t.Tax);
    const QString rateText = taxRatesLabel(shares, english);
    if (added) {
        tax = shownTax;
        label[RowTax] = english ? plain[RowTax] + QLatin1Char(' ') + rateText
                                : QStringLiteral("消費税（") + rateText + QStringLiteral("）");
    } else {
        // Shown only: the prices already hold it.
        label[RowTax] = english ? QStringLiteral("Consumption Tax ") + rateText + QStringLiteral(" incl.")
                                : QStringLiteral("(内 消費税") + rateText + QStringLiteral(")");
    }
    amount[RowTax] = num(shownTax);

    // The accommodation tax: collected for the town like an advance, outside the consumption tax.
    if (money.Lodging.Enabled && bill.LodgingCheck) {
        const TLodgingTaxOfLines t = lodgingTaxOfLines(bill.Lines, billDate, bill.CheckBox1 ? rates.Service : 0, base,
                                                       money, bill.LineMeals, {bill.LodgingExempt, bill.LodgingReason});
        if (!t.ok())
            return rangeRefusal();
        lodging.Tax = t.Total;
        if (t.Total != 0) {
            lodging.Text = lodgingTaxText(money.Lodging, t.PersonsByAmount, english);
            lodging.Name = english ? money.Lodging.NameEn : money.Lodging.Name;
        }
    }
    const int64_t advances = add(s.advances, lodging.Tax);

    // Row 4: what is added to the charges (advances, the accommodation tax, a
    // bathing tax collected on top). A bathing tax the prices include is
    // shown here as "(内 …)" only while nothing added shares the row;
    // otherwise row 2 names it, so that no figure mixes the two.
    const bool bathingIncluded = base.Nyutou_Kubun == 0;
    const int64_t addedPart = add(advances, bathingIncluded ? 0 : bathing);
    if (!ok)
        return rangeRefusal();
    QString bathText;
    if (bathing != 0) {
        if (stays.size() <= 1 && dayUses.size() <= 1) {
            // One amount each: the usual forms (persons × amount, × nights when even).
            bool stayOk = false;
            const int stay = bill.StayEdit.trimmed().toInt(&stayOk);
            const int64_t q = stays.empty() ? 0 : stays.begin()->second;
            const int64_t r = dayUses.empty() ? 0 : dayUses.begin()->second;
            const bool even = stayOk && s.n >= 1 && stay == s.n && q % s.n == 0;
            bathText = bathingText(english, bath, dbath, q, s.n, r, even, stays.empty() ? 0 : stays.begin()->first,
                                   dayUses.empty() ? 0 : dayUses.begin()->first);
        } else
            bathText = datedBathingText(english, stays, dayUses);
    }
    if (addedPart == 0 && bathing == 0) {
        label[RowAdvance] = BillPlaceholder;
        amount[RowAdvance].clear();
    } else if (addedPart == 0) {
        label[RowAdvance] = (english ? QStringLiteral("(inclusive ") : QStringLiteral("(内 ")) + bathText
            + QStringLiteral(")");
        amount[RowAdvance] = num(bathing);
    } else {
        QStringList parts;
        if (s.advances != 0)
            parts << plain[RowAdvance];
        if (!bathingIncluded && !bathText.isEmpty())
            parts << bathText;
        if (!lodging.Text.isEmpty())
            parts << lodging.Text;
        label[RowAdvance] = parts.join(english ? QStringLiteral("&") : QStringLiteral("及び"));
        amount[RowAdvance] = num(addedPart);
        if (bathingIncluded && bathing != 0)
            label[RowCharge] = english ? plain[RowCharge] + QStringLiteral(" (incl. Bathing Tax JPY%1)").arg(bathing)
                                       : plain[RowCharge] + QStringLiteral("(内 入湯税%1円)").arg(bathing);
    }

    // Row 5: total of use.
    const int64_t total = add(add(add(subtotal, tax), advances), base.Nyutou_Kubun != 0 ? bathing : 0);
    amount[RowTotal] = num(total);

    // Rows 6 and 7: deposit and balance.
    if (bill.CouponCombo.text(bill.LangFlag) == BillPlaceholder)
        amount[RowDeposit].clear();
    int64_t dep = 0;
    if (!readAmount(amount[RowDeposit], &dep))
        return amountFieldMessage(QStringLiteral("ご予約金の金額"), amount[RowDeposit]);
    const int64_t balance = sub2(total, dep);
    amount[RowBalance] = num(balance);

    // The records hold 32-bit amounts: a wrapped total must never be shown or stored.
    if (!ok)
        return rangeRefusal();

    return {};
}

} // namespace

TBillMessage CalcTotals(TBillState &bill, const TBaseData &base, const TMoneySettings &money)
{
    std::array<QString, 9> amount;
    std::array<QString, BillRows> label;
    std::vector<TTaxShare> shares;
    TLodgingPart lodging;
    const TBillMessage m = computeTotals(bill, base, money, amount, label, shares, lodging);
    if (!m.isEmpty())
        return m;
    bill.SaNumEdit = amount;
    bill.GEdit = label;
    bill.TaxShares = std::move(shares);
    bill.TaxAdded = base.TaxKubun != 0;
    bill.RegistrationNo = money.RegistrationNo;
    bill.LodgingTax = lodging.Tax;
    bill.LodgingText = lodging.Text;
    bill.LodgingName = lodging.Name;
    return {};
}

TBillMessage totalsRefusal(const TBillState &bill, const TBaseData &base, const TMoneySettings &money)
{
    std::array<QString, 9> amount;
    std::array<QString, BillRows> label;
    std::vector<TTaxShare> shares;
    TLodgingPart lodging;
    return computeTotals(bill, base, money, amount, label, shares, lodging);
}
