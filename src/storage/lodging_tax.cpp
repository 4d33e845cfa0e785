#include "storage/lodging_tax.h"

#include "storage/ini_file.h"
#include "storage/money_settings.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QString EnabledKey = QStringLiteral("LodgingTax");
const QString NameKey = QStringLiteral("LodgingTaxName");
const QString NameEnKey = QStringLiteral("LodgingTaxNameEn");
const QString BasisKey = QStringLiteral("LodgingTaxPriceIncludesServiceAndTax");
const QString PeriodsKey = QStringLiteral("LodgingTaxPeriods");

QString tierText(const TLodgingTier &t)
{
    return QString::number(t.From) + QLatin1Char('=') + QString::number(t.Amount)
        + (t.Percent ? QStringLiteral("%") : QString());
}

} // namespace

int TLodgingTax::periodAt(const QDate &date) const
{
    int found = -1;
    for (int i = 0; i < int(Periods.size()); ++i)
        if (Periods[i].From <= date)
            found = i;
    return found;
}

TLodgingCharge TLodgingTax::charge(int64_t price, const QDate &night) const
{
    TLodgingCharge c;
    if (!Enabled || price < 0)
        return c;
    c.Period = periodAt(night);
    if (c.Period < 0)
        return c;
    const std::vector<TLodgingTier> &tiers = Periods[c.Period].Tiers;
    for (int i = 0; i < int(tiers.size()); ++i)
        if (tiers[i].From <= price)
            c.Tier = i;
    if (c.Tier < 0)
        return c;
    const TLodgingTier &t = tiers[c.Tier];
    // Percent at most 100 and a price within 64 bits' hundredth: no overflow.
    c.Amount = t.Percent ? (price > INT64_MAX / 100 ? price / 100 * t.Amount : price * t.Amount / 100) : t.Amount;
    return c;
}

QString lodgingPeriodsText(const std::vector<TLodgingPeriod> &periods)
{
    QStringList parts;
    for (const TLodgingPeriod &p : periods) {
        QStringList tiers;
        for (const TLodgingTier &t : p.Tiers)
            tiers << tierText(t);
        parts << moneyDateText(p.From) + QLatin1Char(':') + tiers.join(QLatin1Char(','));
    }
    return parts.join(QLatin1Char(';'));
}

QString checkLodgingPeriods(const std::vector<TLodgingPeriod> &periods)
{
    for (size_t i = 0; i < periods.size(); ++i) {
        const TLodgingPeriod &p = periods[i];
        if (!p.From.isValid())
            return QStringLiteral("宿泊税の%1番目の期間の開始日が正しい日付ではありません").arg(i + 1);
        if (i > 0 && p.From <= periods[i - 1].From)
            return QStringLiteral("宿泊税の期間は開始日の古い順に、同じ日を重ねずに並べてください（%1番目）").arg(i + 1);
        for (size_t j = 0; j < p.Tiers.size(); ++j) {
            const TLodgingTier &t = p.Tiers[j];
            const QString where = QStringLiteral("（%1からの%2段目）").arg(moneyDateText(p.From)).arg(j + 1);
            if (t.From < 0 || t.From > TLodgingTax::MaxPrice)
                return QStringLiteral("宿泊税の料金の下限は0から%1円までで入力してください")
                           .arg(QLocale(QLocale::Japanese).toString(TLodgingTax::MaxPrice))
                    + where;
            if (j > 0 && t.From <= p.Tiers[j - 1].From)
                return QStringLiteral("宿泊税の段は料金の下限の安い順に、同じ下限を重ねずに並べてください") + where;
            if (t.Percent ? (t.Amount < 0 || t.Amount > 100) : (t.Amount < 0 || t.Amount > TLodgingTax::MaxAmount))
                return (t.Percent ? QStringLiteral("宿泊税の率は0から100%までで入力してください")
                                  : QStringLiteral("宿泊税の金額は0から%1円までで入力してください")
                                        .arg(QLocale(QLocale::Japanese).toString(TLodgingTax::MaxAmount)))
                    + where;
        }
    }
    return {};
}

QString readLodgingPeriods(const QString &text, std::vector<TLodgingPeriod> *periods)
{
    static const QRegularExpression tierForm(QStringLiteral("^([0-9]{1,10})=([0-9]{1,10})(%?)$"));
    std::vector<TLodgingPeriod> read;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        const QString bad = QStringLiteral("宿泊税の期間「%1」が読めません").arg(part.trimmed());
        if (colon < 0)
            return bad;
        TLodgingPeriod p;
        p.From = moneyDate(part.left(colon));
        if (!p.From.isValid())
            return bad;
        for (const QString &tier : part.mid(colon + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = tierForm.match(tier.trimmed());
            if (!m.hasMatch())
                return bad;
            // Ten digits may exceed an int: such a value is refused, never wrapped.
            const qint64 from = m.captured(1).toLongLong();
            const qint64 amount = m.captured(2).toLongLong();
            if (from > INT32_MAX || amount > INT32_MAX)
                return QStringLiteral("宿泊税の期間「%1」の金額が大きすぎます").arg(part.trimmed());
            p.Tiers.push_back({int(from), int(amount), !m.captured(3).isEmpty()});
        }
        read.push_back(p);
    }
    if (const QString problem = checkLodgingPeriods(read); !problem.isEmpty())
        return problem;
    *periods = read;
    return {};
}

QString checkLodgingTax(const TLodgingTax &tax)
{
    if (const QString p = checkLodgingPeriods(tax.Periods); !p.isEmpty())
        return p;
    if (tax.Enabled && tax.Name.trimmed().isEmpty())
        return QStringLiteral("宿泊税の印刷名を入力してください");
    if (tax.Enabled && tax.Periods.empty())
        return QStringLiteral("宿泊税を使うには、開始日と段を少なくとも1期間入力してください");
    return {};
}

void readLodgingTax(const IniFile &ini, TLodgingTax *tax, QStringList *problems)
{
    tax->Enabled = ini.intValue(MoneySection, EnabledKey, 0, 0, 1) != 0;
    tax->PriceIncludesServiceAndTax = ini.intValue(MoneySection, BasisKey, 0, 0, 1) != 0;
    if (const QString name = ini.value(MoneySection, NameKey).trimmed(); !name.isEmpty())
        tax->Name = name;
    if (const QString name = ini.value(MoneySection, NameEnKey).trimmed(); !name.isEmpty())
        tax->NameEn = name;
    if (const QString p = readLodgingPeriods(ini.value(MoneySection, PeriodsKey), &tax->Periods); !p.isEmpty()) {
        *problems << p;
        // A tax whose table does not read is not charged from a guess.
        tax->Enabled = false;
    }
}

void writeLodgingTax(IniFile &ini, const TLodgingTax &tax)
{
    ini.setValue(MoneySection, EnabledKey, tax.Enabled ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(MoneySection, NameKey, tax.Name);
    ini.setValue(MoneySection, NameEnKey, tax.NameEn);
    ini.setValue(MoneySection, BasisKey, tax.PriceIncludesServiceAndTax ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(MoneySection, PeriodsKey, lodgingPeriodsText(tax.Periods));
}
