#include "storage/money_settings.h"

#include "storage/clock.h"
#include "storage/ini_file.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

const QString TaxRatesKey = QStringLiteral("TaxRates");
const QString FixedTaxKey = QStringLiteral("FixedTax");
const QString FixedRateKey = QStringLiteral("FixedRate");
const QString RegistrationKey = QStringLiteral("RegistrationNo");
const std::array<QString, MoneySettingKinds> AmountKeys = {QStringLiteral("Service"), QStringLiteral("Nyutouzei"),
                                                           QStringLiteral("DayNyutouzei")};
// The largest value each dated amount may take (as the settings window allows).
const std::array<int, MoneySettingKinds> AmountMax = {999, 9999, 9999};

QDate orToday(const QDate &date) { return date.isValid() ? date : Clock::now().date(); }

bool readInt(const QString &text, int min, int max, int *value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString t = text.trimmed();
    if (!digits.match(t).hasMatch())
        return false;
    const int v = t.toInt();
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}

} // namespace

std::vector<TTaxPeriod> TMoneySettings::defaultTaxRates()
{
    return {{QDate(2014, 4, 1), 8, 0}, {QDate(2019, 10, 1), 10, 8}};
}

TRatesInForce TMoneySettings::at(const QDate &date, const TBaseData &base) const
{
    const QDate d = orToday(date);
    TRatesInForce r;
    if (FixedTax || TaxRates.empty()) {
        r.Standard = r.Reduced = FixedTax ? FixedRate : 0;
    } else {
        const TTaxPeriod *p = &TaxRates.front();
        for (const TTaxPeriod &t : TaxRates)
            if (t.From <= d)
                p = &t;
        r.Standard = p->Standard;
        r.Reduced = p->Reduced > 0 ? p->Reduced : p->Standard;
    }
    r.Service = amountAt(SettingService, d, base);
    r.Nyutouzei = amountAt(SettingNyutouzei, d, base);
    r.DayNyutouzei = amountAt(SettingDayNyutouzei, d, base);
    return r;
}

int TMoneySettings::baseValue(MoneySetting kind, const TBaseData &base)
{
    switch (kind) {
    case SettingService: return base.Service;
    case SettingNyutouzei: return base.Nyutouzei;
    default: return base.DayNyutouzei;
    }
}

void TMoneySettings::setBaseValue(MoneySetting kind, TBaseData &base, int value)
{
    switch (kind) {
    case SettingService: base.Service = value; break;
    case SettingNyutouzei: base.Nyutouzei = value; break;
    default: base.DayNyutouzei = value; break;
    }
}

int TMoneySettings::amountAt(MoneySetting kind, const QDate &date, const TBaseData &base) const
{
    const std::vector<TAmountPeriod> &periods = Amounts[kind];
    if (periods.empty())
        return baseValue(kind, base);
    const QDate d = orToday(date);
    int value = periods.front().Value;
    for (const TAmountPeriod &p : periods)
        if (!p.From.isValid() || p.From <= d)
            value = p.Value;
    return value;
}

void TMoneySettings::setAmountFrom(MoneySetting kind, const QDate &from, int value, const TBaseData &base)
{
    std::vector<TAmountPeriod> &periods = Amounts[kind];
    if (periods.empty())
        periods.push_back({QDate(), baseValue(kind, base)});
    std::erase_if(periods, [&](const TAmountPeriod &p) { return p.From.isValid() && p.From == from; });
    const auto at = std::find_if(periods.begin(), periods.end(),
                                 [&](const TAmountPeriod &p) { return p.From.isValid() && p.From > from; });
    periods.insert(at, {from, value});
}

void TMoneySettings::applyToday(TBaseData &base, const QDate &today) const
{
    for (int k = 0; k < MoneySettingKinds; ++k)
        if (!Amounts[k].empty())
            setBaseValue(MoneySetting(k), base, amountAt(MoneySetting(k), today, base));
}

QDate moneyDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})[/-]([0-9]{1,2})[/-]([0-9]{1,2})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QString moneyDateText(const QDate &date) { return date.toString(QStringLiteral("yyyy/MM/dd")); }

QString taxRatesText(const std::vector<TTaxPeriod> &rates)
{
    QStringList parts;
    for (const TTaxPeriod &p : rates)
        parts << moneyDateText(p.From) + QLatin1Char(':') + QString::number(p.Standard)
                + (p.Reduced > 0 ? QLatin1Char('/') + QString::number(p.Reduced) : QString());
    return parts.join(QLatin1Char(';'));
}

QString checkTaxRates(const std::vector<TTaxPeriod> &rates)
{
    if (rates.empty())
        return QStringLiteral("消費税率の表には少なくとも1行が必要です");
    for (size_t i = 0; i < rates.size(); ++i) {
        const TTaxPeriod &p = rates[i];
        if (!p.From.isValid())
            return QStringLiteral("消費税率の%1行目の開始日が正しい日付ではありません").arg(i + 1);
        if (i > 0 && p.From <= rates[i - 1].From)
            return QStringLiteral("消費税率の開始日は古い順に、同じ日を重ねずに並べてください（%1行目）").arg(i + 1);
        if (p.Standard < 0 || p.Standard > 100 || p.Reduced < 0 || p.Reduced > 100)
            return QStringLiteral("消費税率は0から100までの範囲で入力してください（%1行目）").arg(i + 1);
    }
    return {};
}

QString readTaxRates(const QString &text, std::vector<TTaxPeriod> *rates)
{
    static const QRegularExpression form(QStringLiteral("^([0-9/-]+):([0-9]+)(?:/([0-9]+))?$"));
    std::vector<TTaxPeriod> read;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = form.match(part.trimmed());
        TTaxPeriod p;
        if (!m.hasMatch() || !readInt(m.captured(2), 0, 100, &p.Standard)
            || (m.hasCaptured(3) && !readInt(m.captured(3), 0, 100, &p.Reduced)))
            return QStringLiteral("消費税率「%1」が読めません").arg(part);
        p.From = moneyDate(m.captured(1));
        read.push_back(p);
    }
    if (const QString problem = checkTaxRates(read); !problem.isEmpty())
        return problem;
    *rates = read;
    return {};
}

QString amountPeriodsText(const std::vector<TAmountPeriod> &periods)
{
    QStringList parts;
    for (const TAmountPeriod &p : periods)
        parts << (p.From.isValid() ? moneyDateText(p.From) + QLatin1Char(':') : QString()) + QString::number(p.Value);
    return parts.join(QLatin1Char(';'));
}

QString readAmountPeriods(const QString &text, int max, std::vector<TAmountPeriod> *periods)
{
    std::vector<TAmountPeriod> read;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        TAmountPeriod p;
        const bool dated = colon >= 0;
        if (dated)
            p.From = moneyDate(part.left(colon));
        if ((dated && !p.From.isValid()) || (!dated && !read.empty())
            || !readInt(part.mid(colon + 1), 0, max, &p.Value)
            || (dated && !read.empty() && read.back().From.isValid() && read.back().From >= p.From))
            return QStringLiteral("日付付きの設定「%1」が読めません").arg(part);
        read.push_back(p);
    }
    *periods = read;
    return {};
}

namespace {

// The accommodation tax's keys.

const QString EnabledKey = QStringLiteral("LodgingTax");
const QString NameKey = QStringLiteral("LodgingTaxName");
const QString NameEnKey = QStringLiteral("LodgingTaxNameEn");
// Until the three bases: 1 for room + service + tax, 0 for the room alone.
const QString OldBasisKey = QStringLiteral("LodgingTaxPriceIncludesServiceAndTax");
const QString BasisKey = QStringLiteral("LodgingTaxPriceBasis");
const QString ItemsKey = QStringLiteral("LodgingTaxItems");
const std::array<QString, 3> BasisNames = {QStringLiteral("room"), QStringLiteral("room+service"),
                                           QStringLiteral("room+service+tax")};
const QString PeriodsKey = QStringLiteral("LodgingTaxPeriods");
const QString SharesKey = QStringLiteral("LodgingTaxShares");
const QString ReasonsKey = QStringLiteral("LodgingTaxExemptReasons");
// Characters that separate the parts of the settings texts, never part of a name.
const QString Separators = QStringLiteral(",;:=+＋、");

bool hasSeparator(const QString &name)
{
    for (const QChar c : name)
        if (Separators.contains(c) || c.isDigit())
            return true;
    return false;
}

QString tierText(const TLodgingTier &t)
{
    return QString::number(t.From) + QLatin1Char('=') + QString::number(t.Amount)
        + (t.Percent ? QStringLiteral("%") : QString());
}

} // namespace

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
            if (t.Shares.empty())
                continue;
            if (t.Percent)
                return QStringLiteral("宿泊税の内訳は円の段にだけ入力できます") + where;
            int64_t sum = 0;
            for (const TLodgingShare &share : t.Shares) {
                if (share.Authority.trimmed().isEmpty() || hasSeparator(share.Authority))
                    return QStringLiteral("宿泊税の内訳の名前「%1」は数字と区切りの記号を含まない名前にしてください")
                               .arg(share.Authority)
                        + where;
                if (share.Amount < 0)
                    return QStringLiteral("宿泊税の内訳の金額は0円以上で入力してください") + where;
                sum += share.Amount;
            }
            if (sum != t.Amount)
                return QStringLiteral("宿泊税の内訳の合計（%1円）が税額（%2円）と合いません")
                           .arg(QLocale(QLocale::Japanese).toString(qlonglong(sum)),
                                QLocale(QLocale::Japanese).toString(t.Amount))
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

QString lodgingBasisText(LodgingBasis basis) { return BasisNames[size_t(basis)]; }

bool readLodgingBasis(const QString &text, LodgingBasis *basis)
{
    for (size_t i = 0; i < BasisNames.size(); ++i)
        if (text.trimmed().compare(BasisNames[i], Qt::CaseInsensitive) == 0) {
            *basis = LodgingBasis(i);
            return true;
        }
    return false;
}

QString lodgingBasesText(const std::vector<TLodgingPeriod> &periods)
{
    if (periods.empty())
        return lodgingBasisText(LodgingBasis::Room);
    QStringList parts;
    for (const TLodgingPeriod &p : periods)
        parts << moneyDateText(p.From) + QLatin1Char(':') + lodgingBasisText(p.Basis);
    return parts.join(QLatin1Char(';'));
}

QString readLodgingBases(const QString &text, std::vector<TLodgingPeriod> *periods)
{
    std::vector<TLodgingPeriod> read = *periods;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        const QString bad = QStringLiteral("宿泊税の料金の数え方「%1」が読めません").arg(part.trimmed());
        LodgingBasis basis = LodgingBasis::Room;
        if (!readLodgingBasis(part.mid(colon + 1), &basis))
            return bad;
        if (colon < 0) { // every period
            for (TLodgingPeriod &p : read)
                p.Basis = basis;
            continue;
        }
        const QDate from = moneyDate(part.left(colon));
        const auto p = std::find_if(read.begin(), read.end(), [&](const TLodgingPeriod &q) { return q.From == from; });
        if (!from.isValid() || p == read.end())
            return bad + QStringLiteral("（その日に始まる期間がありません）");
        p->Basis = basis;
    }
    *periods = read;
    return {};
}

QString lodgingItemsText(const std::map<uint32_t, TLodgingItem> &items)
{
    QStringList parts;
    for (const auto &[key, item] : items) {
        QStringList marks;
        if (item.NotGuest)
            marks << QStringLiteral("notguest");
        if (item.MealPart != 0)
            marks << QStringLiteral("meal=%1").arg(item.MealPart);
        if (!marks.isEmpty())
            parts << QString::number(key) + QLatin1Char(':') + marks.join(QLatin1Char(','));
    }
    return parts.join(QLatin1Char(';'));
}

QString readLodgingItems(const QString &text, std::map<uint32_t, TLodgingItem> *items)
{
    static const QRegularExpression form(QStringLiteral("^1601([0-9]{3}):(.*)$"));
    static const QRegularExpression meal(QStringLiteral("^meal=([0-9]{1,9})$"));
    std::map<uint32_t, TLodgingItem> read;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString bad = QStringLiteral("宿泊税の品目「%1」が読めません").arg(part.trimmed());
        const QRegularExpressionMatch m = form.match(part.trimmed());
        const int number = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (number < 1 || number > 100)
            return bad;
        TLodgingItem item;
        for (const QString &mark : m.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch mm = meal.match(mark.trimmed());
            if (mark.trimmed() == QStringLiteral("notguest"))
                item.NotGuest = true;
            else if (!mm.hasMatch() || !readInt(mm.captured(1), 0, TLodgingTax::MaxPrice, &item.MealPart))
                return bad;
        }
        read[1601000 + uint32_t(number)] = item;
    }
    *items = read;
    return {};
}

QString lodgingSharesText(const std::vector<TLodgingShare> &shares)
{
    QStringList parts;
    for (const TLodgingShare &share : shares)
        parts << share.Authority + QString::number(share.Amount);
    return parts.join(QLatin1Char('+'));
}

QString readLodgingShares(const QString &text, std::vector<TLodgingShare> *shares)
{
    static const QRegularExpression split(QStringLiteral("[+＋、,]"));
    static const QRegularExpression form(QStringLiteral("^(\\D+?)\\s*([0-9]{1,6})\\s*円?$"));
    std::vector<TLodgingShare> read;
    for (const QString &part : text.normalized(QString::NormalizationForm_KC).split(split, Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = form.match(part.trimmed());
        if (!m.hasMatch())
            return QStringLiteral("宿泊税の内訳「%1」が読めません（例: 町200+県100）").arg(part.trimmed());
        read.push_back({m.captured(1).trimmed(), m.captured(2).toInt()});
    }
    *shares = read;
    return {};
}

QString lodgingPeriodSharesText(const std::vector<TLodgingPeriod> &periods)
{
    QStringList parts;
    for (const TLodgingPeriod &p : periods) {
        QStringList tiers;
        for (const TLodgingTier &t : p.Tiers)
            if (!t.Shares.empty())
                tiers << QString::number(t.From) + QLatin1Char('=') + lodgingSharesText(t.Shares);
        if (!tiers.isEmpty())
            parts << moneyDateText(p.From) + QLatin1Char(':') + tiers.join(QLatin1Char(','));
    }
    return parts.join(QLatin1Char(';'));
}

QString readLodgingPeriodShares(const QString &text, std::vector<TLodgingPeriod> *periods)
{
    std::vector<TLodgingPeriod> read = *periods;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString bad = QStringLiteral("宿泊税の内訳「%1」が読めません").arg(part.trimmed());
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        const QDate from = colon < 0 ? QDate() : moneyDate(part.left(colon));
        const auto p = std::find_if(read.begin(), read.end(), [&](const TLodgingPeriod &q) { return q.From == from; });
        if (!from.isValid() || p == read.end())
            return bad;
        for (const QString &tier : part.mid(colon + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const qsizetype eq = tier.indexOf(QLatin1Char('='));
            bool ok = false;
            const int bound = tier.left(eq).trimmed().toInt(&ok);
            const auto t = std::find_if(p->Tiers.begin(), p->Tiers.end(),
                                        [&](const TLodgingTier &x) { return x.From == bound; });
            if (eq < 0 || !ok || t == p->Tiers.end() || !readLodgingShares(tier.mid(eq + 1), &t->Shares).isEmpty())
                return bad;
        }
    }
    if (const QString problem = checkLodgingPeriods(read); !problem.isEmpty())
        return problem;
    *periods = read;
    return {};
}

QString readLodgingExemptReasons(const QString &text, QStringList *reasons)
{
    QStringList read;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty() && !read.contains(part.trimmed()))
            read << part.trimmed();
    if (read.isEmpty())
        return QStringLiteral("宿泊税の免除の理由が一つもありません");
    *reasons = read;
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
    if (tax.ExemptReasons.isEmpty())
        return QStringLiteral("宿泊税の免除の理由を少なくとも一つ入力してください");
    for (const QString &reason : tax.ExemptReasons)
        if (reason.trimmed().isEmpty() || reason.contains(QLatin1Char(',')))
            return QStringLiteral("宿泊税の免除の理由「%1」は空にせず、「,」を含めないでください").arg(reason);
    return {};
}

// The accommodation tax in the money section; a value that does not read
// leaves the default and its message is appended to problems.
static void readLodgingTax(const IniFile &ini, TLodgingTax *tax, QStringList *problems)
{
    tax->Enabled = ini.intValue(MoneySection, EnabledKey, 0, 0, 1) != 0;
    if (const QString name = ini.value(MoneySection, NameKey).trimmed(); !name.isEmpty())
        tax->Name = name;
    if (const QString name = ini.value(MoneySection, NameEnKey).trimmed(); !name.isEmpty())
        tax->NameEn = name;
    if (const QString p = readLodgingPeriods(ini.value(MoneySection, PeriodsKey), &tax->Periods); !p.isEmpty()) {
        *problems << p;
        // A tax whose table does not read is not charged from a guess.
        tax->Enabled = false;
    }
    // The bases after the periods they date; before the key, the one switch for every period.
    if (ini.contains(MoneySection, BasisKey)) {
        if (const QString p = readLodgingBases(ini.value(MoneySection, BasisKey), &tax->Periods); !p.isEmpty()) {
            *problems << p;
            tax->Enabled = false;
        }
    } else if (ini.intValue(MoneySection, OldBasisKey, 0, 0, 1) != 0) {
        for (TLodgingPeriod &p : tax->Periods)
            p.Basis = LodgingBasis::RoomServiceTax;
    }
    if (ini.contains(MoneySection, ItemsKey))
        if (const QString p = readLodgingItems(ini.value(MoneySection, ItemsKey), &tax->Items); !p.isEmpty()) {
            *problems << p;
            tax->Enabled = false;
        }
    if (const QString p = readLodgingPeriodShares(ini.value(MoneySection, SharesKey), &tax->Periods); !p.isEmpty()) {
        *problems << p;
        tax->Enabled = false;
    }
    if (ini.contains(MoneySection, ReasonsKey))
        if (const QString p = readLodgingExemptReasons(ini.value(MoneySection, ReasonsKey), &tax->ExemptReasons);
            !p.isEmpty())
            *problems << p;
}

static void writeLodgingTax(IniFile &ini, const TLodgingTax &tax)
{
    ini.setValue(MoneySection, EnabledKey, tax.Enabled ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(MoneySection, NameKey, tax.Name);
    ini.setValue(MoneySection, NameEnKey, tax.NameEn);
    ini.setValue(MoneySection, PeriodsKey, lodgingPeriodsText(tax.Periods));
    ini.setValue(MoneySection, BasisKey, lodgingBasesText(tax.Periods));
    ini.remove(MoneySection, OldBasisKey);
    ini.setValue(MoneySection, ItemsKey, lodgingItemsText(tax.Items));
    ini.setValue(MoneySection, SharesKey, lodgingPeriodSharesText(tax.Periods));
    ini.setValue(MoneySection, ReasonsKey, tax.ExemptReasons.join(QLatin1Char(',')));
}

QString readMoneySettings(const IniFile &ini, TMoneySettings *money)
{
    QStringList problems;
    if (ini.contains(MoneySection, TaxRatesKey))
        if (const QString p = readTaxRates(ini.value(MoneySection, TaxRatesKey), &money->TaxRates); !p.isEmpty())
            problems << p;
    money->FixedTax = ini.intValue(MoneySection, FixedTaxKey, 0, 0, 1) != 0;
    money->FixedRate = ini.intValue(MoneySection, FixedRateKey, money->FixedRate, 0, 100);
    for (int k = 0; k < MoneySettingKinds; ++k)
        if (const QString p = readAmountPeriods(ini.value(MoneySection, AmountKeys[k]), AmountMax[k], &money->Amounts[k]);
            !p.isEmpty())
            problems << p;
    const QString reg = ini.value(MoneySection, RegistrationKey).trimmed();
    if (reg.isEmpty() || checkRegistrationNo(reg) != RegistrationCheck::Malformed)
        money->RegistrationNo = reg;
    else
        problems << QStringLiteral("登録番号「%1」が読めません").arg(reg);
    readLodgingTax(ini, &money->Lodging, &problems);
    if (problems.isEmpty())
        return {};
    return QStringLiteral("設定ファイル norvelreceipt.ini の [%1] に読めない値があります。\n%2\n"
                          "基本設定で確認してください。")
        .arg(MoneySection, problems.join(QLatin1Char('\n')));
}

void writeMoneySettings(IniFile &ini, const TMoneySettings &money)
{
    ini.setValue(MoneySection, TaxRatesKey, taxRatesText(money.TaxRates));
    ini.setValue(MoneySection, FixedTaxKey, money.FixedTax ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(MoneySection, FixedRateKey, QString::number(money.FixedRate));
    for (int k = 0; k < MoneySettingKinds; ++k)
        ini.setValue(MoneySection, AmountKeys[k], amountPeriodsText(money.Amounts[k]));
    ini.setValue(MoneySection, RegistrationKey, money.RegistrationNo);
    writeLodgingTax(ini, money.Lodging);
}

int registrationCheckDigit(const QString &twelveDigits)
{
    // Digits weighted 1 and 2 alternately from the lowest one; 9 minus the sum modulo 9.
    int sum = 0;
    for (int n = 1; n <= 12; ++n) {
        const int digit = twelveDigits.at(12 - n).digitValue();
        sum += digit * (n % 2 == 1 ? 1 : 2);
    }
    return 9 - sum % 9;
}

RegistrationCheck checkRegistrationNo(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^T[0-9]{13}$"));
    if (!form.match(text).hasMatch())
        return RegistrationCheck::Malformed;
    return text.at(1).digitValue() == registrationCheckDigit(text.mid(2)) ? RegistrationCheck::Valid
                                                                         : RegistrationCheck::BadCheckDigit;
}
