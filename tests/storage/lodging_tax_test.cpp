// The accommodation tax by price tier and date: the tiers of a city that
// changed them, a flat amount, a percentage, the tax off, and its table in
// the settings file.

#include "storage/ini_file.h"
#include "storage/money_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A city with three tiers from 2018/10/01 and five from 2026/03/01.
TLodgingTax cityTax()
{
    TLodgingTax t;
    t.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2018/10/01:0=200,20000=500,50000=1000;"
                                                "2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &t.Periods),
              QString());
    return t;
}

TLodgingTax taxOf(const char *periods)
{
    TLodgingTax t;
    t.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QString::fromUtf8(periods), &t.Periods), QString()) << periods;
    return t;
}

const QDate DayBefore(2026, 2, 28);
const QDate ChangeDay(2026, 3, 1);

TEST(LodgingTax, CityTiersOnBothSidesOfTheChange)
{
    const struct {
        const char *name;
        int price;
        int before; // a night of 2026/02/28
        int after;  // a night of 2026/03/01
    } cases[] = {
        {"free stay", 0, 200, 200},
        {"just under 6,000", 5999, 200, 200},
        {"6,000", 6000, 200, 400},
        {"just under 20,000", 19999, 200, 400},
        {"20,000", 20000, 500, 1000},
        {"just under 50,000", 49999, 500, 1000},
        {"50,000", 50000, 1000, 4000},
        {"just under 100,000", 99999, 1000, 4000},
        {"100,000", 100000, 1000, 10000},
        {"the largest amount", 2147483647, 1000, 10000},
    };
    const TLodgingTax tax = cityTax();
    for (const auto &c : cases) {
        EXPECT_EQ(tax.charge(c.price, DayBefore).Amount, c.before) << c.name;
        EXPECT_EQ(tax.charge(c.price, ChangeDay).Amount, c.after) << c.name;
    }
    // The statement counts by tier: the tier that chose the amount.
    EXPECT_EQ(tax.charge(20000, DayBefore).Tier, 1);
    EXPECT_EQ(tax.charge(20000, ChangeDay).Tier, 2);
    EXPECT_EQ(tax.charge(20000, ChangeDay).Period, 1);
}

TEST(LodgingTax, StayAcrossTheChangeTakesEachNightsPeriod)
{
    // Two guests, two nights at 8,000 each: 200 the first night, 400 the second.
    const TLodgingTax tax = cityTax();
    int64_t total = 0;
    for (const QDate &night : {DayBefore, ChangeDay})
        total += 2 * tax.charge(8000, night).Amount;
    EXPECT_EQ(total, 2 * 200 + 2 * 400);
}

TEST(LodgingTax, NothingIsChargedOutsideTheTable)
{
    const struct {
        const char *name;
        TLodgingTax tax;
        int price;
        QDate night;
    } cases[] = {
        {"tax off", [] { TLodgingTax t = cityTax(); t.Enabled = false; return t; }(), 30000, ChangeDay},
        {"before the first period", cityTax(), 30000, QDate(2018, 9, 30)},
        {"below the first tier (exempt cheap stays)", taxOf("2024/01/01:5000=100"), 4999, ChangeDay},
        {"a period without tiers (tax suspended)", taxOf("2024/01/01:0=100;2025/01/01:"), 8000, ChangeDay},
        {"a negative price (a correction line)", cityTax(), -8000, ChangeDay},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.tax.charge(c.price, c.night).Amount, 0) << c.name;
        EXPECT_EQ(c.tax.charge(c.price, c.night).Tier, -1) << c.name;
    }
}

TEST(LodgingTax, FlatAmountAndPercentage)
{
    const struct {
        const char *name;
        const char *periods;
        int price;
        int amount;
    } cases[] = {
        {"flat amount, cheap", "2020/04/01:0=100", 3000, 100},
        {"flat amount, dear", "2020/04/01:0=100", 250000, 100},
        {"percentage, fraction dropped", "2020/04/01:0=3%", 12345, 370},
        {"percentage, whole", "2020/04/01:0=2%", 15000, 300},
        {"percentage above a free tier", "2020/04/01:0=0,5000=2%", 4999, 0},
        {"percentage from the tier's bound", "2020/04/01:0=0,5000=2%", 5000, 100},
        {"percentage of the largest price", "2020/04/01:0=100%", 2147483647, 2147483647},
    };
    for (const auto &c : cases)
        EXPECT_EQ(taxOf(c.periods).charge(c.price, ChangeDay).Amount, c.amount) << c.name;
}

TEST(LodgingTax, TableTextIsCheckedWhenRead)
{
    const struct {
        const char *name;
        const char *text;
        const char *message; // a part of the message
    } cases[] = {
        {"no date", "0=200", "読めません"},
        {"a date that is none", "2026/02/30:0=200", "読めません"},
        {"dates not ascending", "2026/03/01:0=200;2026/03/01:0=400", "古い順"},
        {"tiers not ascending", "2026/03/01:6000=400,0=200", "安い順"},
        {"same bound twice", "2026/03/01:0=200,0=400", "安い順"},
        {"amount beyond the limit", "2026/03/01:0=1000000", "999,999"},
        {"bound beyond an amount", "2026/03/01:9999999999=200", "大きすぎ"},
        {"percentage above 100", "2026/03/01:0=101%", "100%"},
        {"a negative amount", "2026/03/01:0=-200", "読めません"},
        {"a fraction", "2026/03/01:0=2.5%", "読めません"},
    };
    for (const auto &c : cases) {
        std::vector<TLodgingPeriod> periods = cityTax().Periods;
        const std::vector<TLodgingPeriod> before = periods;
        const QString message = readLodgingPeriods(QString::fromUtf8(c.text), &periods);
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.message))) << c.name << ": " << message.toStdString();
        EXPECT_EQ(periods, before) << c.name;
    }
}

TEST(LodgingTax, KeptInTheSettingsFileAndOffByDefault)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/norvelreceipt.ini");

    TMoneySettings none;
    EXPECT_TRUE(readMoneySettings(IniFile(path), &none).isEmpty());
    EXPECT_FALSE(none.Lodging.Enabled);
    EXPECT_EQ(none.Lodging.Name, QStringLiteral("宿泊税"));
    EXPECT_EQ(none.Lodging.NameEn, QStringLiteral("Accommodation Tax"));
    EXPECT_EQ(none.Lodging.charge(30000, ChangeDay).Amount, 0);

    TMoneySettings money;
    money.Lodging = cityTax();
    money.Lodging.Name = QStringLiteral("市宿泊税");
    money.Lodging.Periods[1].Basis = LodgingBasis::RoomService;
    money.Lodging.Periods.push_back({QDate(2027, 4, 1), {{0, 3, true}}, LodgingBasis::RoomServiceTax});
    money.Lodging.Items[1601013] = {false, 8800};
    money.Lodging.Items.erase(1601011); // the large pet counted as a guest
    {
        IniFile ini(path);
        writeMoneySettings(ini, money);
        ASSERT_TRUE(ini.save());
    }
    TMoneySettings back;
    EXPECT_TRUE(readMoneySettings(IniFile(path), &back).isEmpty());
    EXPECT_EQ(back.Lodging, money.Lodging);
    EXPECT_EQ(back, money);

    // A table that does not read is reported and the tax stays off rather than guessed.
    {
        IniFile ini(path);
        ini.setValue(MoneySection, QStringLiteral("LodgingTaxPeriods"), QStringLiteral("2026/03/01:0=abc"));
        ASSERT_TRUE(ini.save());
    }
    TMoneySettings broken;
    EXPECT_TRUE(readMoneySettings(IniFile(path), &broken).contains(QStringLiteral("宿泊税")));
    EXPECT_FALSE(broken.Lodging.Enabled);
}

TEST(LodgingTax, PriceBasisDatedLikeTheTiersAndTheOldKeyRead)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/norvelreceipt.ini");
    const auto write = [&](const char *text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    const auto bases = [](const TMoneySettings &m) {
        std::vector<LodgingBasis> b;
        for (const TLodgingPeriod &p : m.Lodging.Periods)
            b.push_back(p.Basis);
        return b;
    };
    const char *periods = "LodgingTaxPeriods=2018/10/01:0=200;2026/03/01:0=200,6000=400\r\n";
    const std::string head = std::string("[MoneySettings]\r\nLodgingTax=1\r\n") + periods;
    using B = LodgingBasis;
    const struct {
        const char *name;
        const char *lines;
        std::vector<LodgingBasis> read;
        const char *written;
    } cases[] = {
        {"neither key: the room alone", "", {B::Room, B::Room}, "2018/10/01:room;2026/03/01:room"},
        {"old key 1: room, service and tax", "LodgingTaxPriceIncludesServiceAndTax=1\r\n",
         {B::RoomServiceTax, B::RoomServiceTax}, "2018/10/01:room+service+tax;2026/03/01:room+service+tax"},
        {"old key 0: the room alone", "LodgingTaxPriceIncludesServiceAndTax=0\r\n", {B::Room, B::Room},
         "2018/10/01:room;2026/03/01:room"},
        {"one basis for every period", "LodgingTaxPriceBasis=room+service\r\n", {B::RoomService, B::RoomService},
         "2018/10/01:room+service;2026/03/01:room+service"},
        {"dated", "LodgingTaxPriceBasis=2018/10/01:room+service+tax;2026/03/01:room+service\r\n",
         {B::RoomServiceTax, B::RoomService}, "2018/10/01:room+service+tax;2026/03/01:room+service"},
        {"the new key wins over the old", "LodgingTaxPriceIncludesServiceAndTax=1\r\nLodgingTaxPriceBasis=room\r\n",
         {B::Room, B::Room}, "2018/10/01:room;2026/03/01:room"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        write((head + c.lines).c_str());
        TMoneySettings m;
        EXPECT_EQ(readMoneySettings(IniFile(path), &m), QString());
        EXPECT_EQ(bases(m), c.read);
        IniFile ini(path);
        writeMoneySettings(ini, m);
        ASSERT_TRUE(ini.save());
        const QByteArray text = IniFile(path).text();
        EXPECT_TRUE(text.contains(QByteArray("LodgingTaxPriceBasis=") + c.written + "\r\n")) << text.toStdString();
        EXPECT_FALSE(text.contains("LodgingTaxPriceIncludesServiceAndTax"));
    }
    // A basis for a date no period starts on, or a word it does not know, is refused.
    for (const char *bad : {"LodgingTaxPriceBasis=2026/04/01:room\r\n", "LodgingTaxPriceBasis=room+meals\r\n"}) {
        write((head + bad).c_str());
        TMoneySettings m;
        EXPECT_TRUE(readMoneySettings(IniFile(path), &m).contains(QStringLiteral("料金の数え方"))) << bad;
        EXPECT_FALSE(m.Lodging.Enabled);
    }
}

TEST(LodgingTax, WholeSettingChecked)
{
    TLodgingTax on;
    on.Enabled = true;
    EXPECT_TRUE(checkLodgingTax(on).contains(QStringLiteral("1期間")));
    on = cityTax();
    EXPECT_EQ(checkLodgingTax(on), QString());
    on.Name = QStringLiteral("  ");
    EXPECT_TRUE(checkLodgingTax(on).contains(QStringLiteral("印刷名")));
    EXPECT_EQ(checkLodgingTax(TLodgingTax()), QString()); // off and empty: nothing to say
}

// A tax levied by a town and its prefecture: each yen tier split into the
// two shares, dated with its period, kept in the settings file beside the
// table; shares that do not add up to the tier, or on a percentage, refused.
// The inn's reasons of exemption kept too.
TEST(LodgingTax, SharesPerAuthorityAndReasonsOfExemption)
{
    TLodgingTax tax = taxOf("2026/04/01:0=300,20000=500;2027/04/01:0=400");
    EXPECT_EQ(tax.ExemptReasons, (QStringList{"修学旅行", "年齢", "その他"}));
    ASSERT_EQ(readLodgingShares(QStringLiteral("町 200 ＋ 県100円"), &tax.Periods[0].Tiers[0].Shares), QString());
    EXPECT_EQ(tax.Periods[0].Tiers[0].Shares, (std::vector<TLodgingShare>{{"町", 200}, {"県", 100}}));
    ASSERT_EQ(readLodgingShares(QStringLiteral("町400+県100"), &tax.Periods[0].Tiers[1].Shares), QString());
    EXPECT_EQ(lodgingSharesText(tax.Periods[0].Tiers[1].Shares), QStringLiteral("町400+県100"));
    EXPECT_EQ(lodgingPeriodSharesText(tax.Periods), QStringLiteral("2026/04/01:0=町200+県100,20000=町400+県100"));
    EXPECT_EQ(checkLodgingTax(tax), QString());
    tax.ExemptReasons = QStringList{"修学旅行", "障害者"};

    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/norvelreceipt.ini");
    TMoneySettings money;
    money.Lodging = tax;
    {
        IniFile ini(path);
        writeMoneySettings(ini, money);
        ASSERT_TRUE(ini.save());
    }
    TMoneySettings back;
    EXPECT_EQ(readMoneySettings(IniFile(path), &back), QString());
    EXPECT_EQ(back.Lodging, tax);

    const struct {
        const char *shares;
        int tier;
        const char *says;
    } refused[] = {
        {"町200+県200", 0, "合計（400円）が税額（300円）と合いません"},
        {"町200", 0, "合計（200円）"},
        {"町3%", 0, "読めません"},
    };
    for (const auto &r : refused) {
        TLodgingTax t = tax;
        const QString read = readLodgingShares(QString::fromUtf8(r.shares), &t.Periods[0].Tiers[size_t(r.tier)].Shares);
        const QString problem = read.isEmpty() ? checkLodgingTax(t) : read;
        EXPECT_TRUE(problem.contains(QString::fromUtf8(r.says))) << r.shares << " " << problem.toStdString();
    }
    TLodgingTax percent = taxOf("2026/04/01:0=3%");
    percent.Periods[0].Tiers[0].Shares = {{"町", 2}, {"県", 1}};
    EXPECT_TRUE(checkLodgingTax(percent).contains(QStringLiteral("円の段にだけ")));
}

} // namespace
