// Consumption tax by date, reduced-rate items, dated money settings and
// registration numbers: the bill's totals, the month reports and the
// settings file.

#include "bill_fixtures.h"
#include "billing/bill_storage.h"
#include "reports/getuji.h"
#include "reports/nyutouzei.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "../reports/month_sample.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

// Fixes the clock for one test and releases it after.
struct FixedClock {
    explicit FixedClock(const QDate &d) { Clock::setFixed(QDateTime(d, QTime(10, 0))); }
    ~FixedClock() { Clock::setFixed({}); }
};

// The default item master with juice (1601105) sold at the reduced rate.
KamokuLists kamokuWithReducedJuice()
{
    KamokuLists k = defaultKamoku();
    for (THojoKamoku &e : k[1])
        if (itemKey(e) == 1601105)
            e.Keigen = 1;
    return k;
}

TBillState bill(const RecordList<TReserveData> &lines, const char *seisan, const KamokuLists &kamoku = defaultKamoku())
{
    TBillState b;
    BuildSelectors(b, kamoku);
    b.Lines = lines;
    b.SeisanDay = QString::fromUtf8(seisan);
    b.CheckBox1 = false;
    b.CheckBox2 = false;
    return b;
}

TEST(ConsumptionTax, RateOfTheSettlementDate)
{
    const struct {
        const char *name;
        const char *seisan;
        QDate today;
        uint8_t taxKubun;
        const char *label;
        const char *tax;
        const char *total;
    } cases[] = {
        {"settled the day before the change", "2019/09/30", QDate(2026, 12, 10), 1, "消費税（8%）", "800", "10800"},
        {"settled on the day of the change", "2019/10/01", QDate(2026, 12, 10), 1, "消費税（10%）", "1000", "11000"},
        {"open bill: today's rate, before", "", QDate(2019, 9, 30), 1, "消費税（8%）", "800", "10800"},
        {"open bill: today's rate, after", "", QDate(2026, 12, 10), 1, "消費税（10%）", "1000", "11000"},
        {"included at 10 %", "2026/12/10", QDate(2026, 12, 10), 0, "(内 消費税10%)", "1000", "11000"},
        {"included at 8 %", "2014/04/01", QDate(2026, 12, 10), 0, "(内 消費税8%)", "814", "11000"},
        {"before the table: its first rate", "2007/08/10", QDate(2026, 12, 10), 0, "(内 消費税8%)", "814", "11000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FixedClock clock(c.today);
        TBillState b = bill({line(1601001, c.taxKubun ? 10000 : 11000, 1, "2019/09/29")}, c.seisan);
        ASSERT_TRUE(CalcTotals(b, settings(1, 1, c.taxKubun), TMoneySettings{}).isEmpty());
        EXPECT_EQ(b.GEdit[RowTax], QString::fromUtf8(c.label));
        EXPECT_EQ(b.SaNumEdit[RowTax], QString::fromUtf8(c.tax));
        EXPECT_EQ(b.SaNumEdit[RowTotal], QString::fromUtf8(c.total));
    }
}

TEST(ConsumptionTax, FixedRateAppliesToEveryDateAndItem)
{
    TMoneySettings money;
    money.FixedTax = true;
    money.FixedRate = 5;
    TBillState b = bill({line(1601001, 10000, 1), line(1601105, 1000, 1)}, "2026/12/10", kamokuWithReducedJuice());
    ASSERT_TRUE(CalcTotals(b, settings(1, 1, 1), money).isEmpty());
    EXPECT_EQ(b.GEdit[RowTax], QStringLiteral("消費税（5%）"));
    EXPECT_EQ(b.SaNumEdit[RowTax], QStringLiteral("550"));
    EXPECT_FALSE(b.marksReduced(b.Lines[1]));
}

TEST(ConsumptionTax, TwoRatesWorkedOncePerRateWithTheDiscountSpread)
{
    const struct {
        const char *name;
        uint8_t taxKubun;
        const char *discount;
        std::vector<TTaxShare> shares;
        const char *label;
        const char *english;
        const char *tax;
        const char *total;
    } cases[] = {
        // Discount -1000 over 7000 + 3001: the reduced rate takes trunc(-1000 * 3001 / 10001) = -300.
        {"added, with a discount", 1, "-1000", {{10, false, 6300, 630}, {8, true, 2701, 216}}, "消費税（10%・8%）",
         "Consumption Tax 10%/8%", "846", "10347"},
        {"added, no discount", 1, "", {{10, false, 7000, 700}, {8, true, 3001, 240}}, "消費税（10%・8%）",
         "Consumption Tax 10%/8%", "940", "11441"},
        {"included", 0, "", {{10, false, 7000, 636}, {8, true, 3001, 222}}, "(内 消費税10%・8%)",
         "Consumption Tax 10%/8% incl.", "858", "10501"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b = bill({line(1601001, 7000, 1, "2026/12/09"), line(1601105, 3001, 1, "2026/12/09"),
                             line(1106001, 500, 1, "2026/12/09")},
                            "2026/12/10", kamokuWithReducedJuice());
        if (*c.discount) {
            b.NebikiCombo.ItemIndex = 1;
            b.SaNumEdit[RowDiscount] = QString::fromUtf8(c.discount);
        }
        ASSERT_TRUE(CalcTotals(b, settings(1, 1, c.taxKubun), TMoneySettings{}).isEmpty());
        EXPECT_EQ(b.TaxShares, c.shares);
        EXPECT_EQ(b.GEdit[RowTax], QString::fromUtf8(c.label));
        EXPECT_EQ(b.SaNumEdit[RowTax], QString::fromUtf8(c.tax));
        // The advance stays outside the tax.
        EXPECT_EQ(b.SaNumEdit[RowTotal], QString::fromUtf8(c.total));
        EXPECT_FALSE(b.marksReduced(b.Lines[0]));
        EXPECT_TRUE(b.marksReduced(b.Lines[1]));
        b.LangFlag = 1;
        ASSERT_TRUE(CalcTotals(b, settings(1, 1, c.taxKubun), TMoneySettings{}).isEmpty());
        EXPECT_EQ(b.GEdit[RowTax], QString::fromUtf8(c.english));
    }
    // Rounded once for the rate, not per line: two juices of 1667 would give 134 + 134.
    TBillState twice = bill({line(1601105, 1667, 2)}, "2026/12/10", kamokuWithReducedJuice());
    ASSERT_TRUE(CalcTotals(twice, settings(1, 1, 1), TMoneySettings{}).isEmpty());
    EXPECT_EQ(twice.SaNumEdit[RowTax], QStringLiteral("267"));
    EXPECT_EQ(twice.GEdit[RowTax], QStringLiteral("消費税（8%）"));
    // Before the reduced rate existed the same juice is at the one rate of its day.
    TBillState before = bill({line(1601105, 1000, 1), line(1601001, 1000, 1)}, "2019/09/30", kamokuWithReducedJuice());
    ASSERT_TRUE(CalcTotals(before, settings(1, 1, 1), TMoneySettings{}).isEmpty());
    EXPECT_EQ(before.GEdit[RowTax], QStringLiteral("消費税（8%）"));
    EXPECT_FALSE(before.marksReduced(before.Lines[0]));
}

TEST(ConsumptionTax, IncludedBathingTaxLeavesTheStandardRateOnly)
{
    // Included bathing tax of 2 × 150 comes out of the standard rate's base only.
    TBillState b = bill({line(1601001, 11000, 2, "2026/12/09"), line(1601105, 1080, 1, "2026/12/09")}, "2026/12/10",
                        kamokuWithReducedJuice());
    b.CheckBox2 = true;
    ASSERT_TRUE(CalcTotals(b, settings(1, 0, 0), TMoneySettings{}).isEmpty());
    EXPECT_EQ(b.TaxShares, (std::vector<TTaxShare>{{10, false, 21700, 1972}, {8, true, 1080, 80}}));
    EXPECT_EQ(b.SaNumEdit[RowTotal], QStringLiteral("23080"));
}

// Both rates at the edge of the amounts: nothing wraps.
TEST(ConsumptionTax, TwoRatesStayChecked)
{
    TBillState b = bill({line(1601001, 2000000000, 1), line(1601105, 100000000, 1)}, "2026/12/10",
                        kamokuWithReducedJuice());
    const TBillMessage m = CalcTotals(b, settings(1, 1, 1), TMoneySettings{});
    EXPECT_EQ(m.title, QStringLiteral("エラー"));
}

TEST(DatedSettings, ValuesTakenOnTheirOwnDate)
{
    TBaseData base = settings(1, 1, 1);
    TMoneySettings money;
    money.setAmountFrom(SettingNyutouzei, QDate(2026, 12, 16), 200, base);
    EXPECT_EQ(money.amountAt(SettingNyutouzei, QDate(1990, 1, 1), base), 150);
    EXPECT_EQ(money.amountAt(SettingNyutouzei, QDate(2026, 12, 15), base), 150);
    EXPECT_EQ(money.amountAt(SettingNyutouzei, QDate(2026, 12, 16), base), 200);
    // A setting without periods is base.dat's value on every date.
    EXPECT_EQ(money.amountAt(SettingDayNyutouzei, QDate(1990, 1, 1), base), 75);
    // Set again from the same day: replaced, not doubled.
    money.setAmountFrom(SettingNyutouzei, QDate(2026, 12, 16), 250, base);
    money.setAmountFrom(SettingNyutouzei, QDate(2026, 12, 1), 180, base);
    EXPECT_EQ(amountPeriodsText(money.Amounts[SettingNyutouzei]), QStringLiteral("150;2026/12/01:180;2026/12/16:250"));
    money.applyToday(base, QDate(2026, 12, 10));
    EXPECT_EQ(base.Nyutouzei, 180);
}

// A month of bills, the bathing tax 150 until the 15th and 200 from the 16th.
TEST(DatedSettings, ReportsAndReopenedBillsKeepTheirOwnDaysAmount)
{
    FixedClock clock(QDate(2026, 12, 31));
    AppData d;
    seedDefaultKamoku(d.KamokuList);
    d.BaseData = settings(1, 1, 1);
    d.Money.setAmountFrom(SettingNyutouzei, QDate(2026, 12, 16), 200, d.BaseData);
    d.Money.applyToday(d.BaseData, QDate(2026, 12, 31));
    ASSERT_EQ(d.BaseData.Nyutouzei, 200);
    const auto stay = [](uint32_t bill, const char *seisan, const char *night) {
        TReserveData r = line(1601001, 10000, 2, night);
        r.MeiNo = bill;
        setFieldText(r.Seisan, QString::fromUtf8(seisan));
        return r;
    };
    RecordList<TReserveData> lines = {stay(1, "2026/12/10", "2026/12/09"), stay(2, "2026/12/16", "2026/12/15"),
                                      stay(2, "2026/12/16", "2026/12/16"), stay(3, "2026/12/20", "2026/12/19")};
    d.ReserveList = lines;

    const MonthGrid bath = nyutouzeiMonth(d, ReportMonth(2026, 12));
    EXPECT_EQ(bath.rows[8][2], QStringLiteral("300"));   // the 9th: 2 × 150
    EXPECT_EQ(bath.rows[14][2], QStringLiteral("300"));  // the 15th
    EXPECT_EQ(bath.rows[15][2], QStringLiteral("400"));  // the 16th: 2 × 200
    EXPECT_EQ(bath.rows[18][2], QStringLiteral("400"));
    EXPECT_EQ(bath.rows[31][2], QStringLiteral("1400"));

    std::vector<TTaxShare> byRate;
    const MonthGrid sales = getujiMonth(d, ReportMonth(2026, 12), nullptr, &byRate);
    EXPECT_EQ(sales.rows[9][GBathingTax], QStringLiteral("300"));
    EXPECT_EQ(sales.rows[15][GBathingTax], QStringLiteral("700")); // one night each side of the change
    EXPECT_EQ(sales.rows[19][GBathingTax], QStringLiteral("400"));
    EXPECT_EQ(sales.rows[9][GTotal], QStringLiteral("22300")); // 20000 + 10 % + 300
    EXPECT_EQ(sales.rows[9][GCash], QStringLiteral("22300"));
    EXPECT_EQ(sales.headings[GTax], QStringLiteral("消費税10%"));
    EXPECT_EQ(byRate, (std::vector<TTaxShare>{{10, false, 80000, 8000}}));

    // The bill of the 10th reopened: 150, as when it was settled.
    TBillState b;
    OpenBill(b, d, 1);
    EXPECT_EQ(b.GEdit[RowAdvance], QStringLiteral("入湯税(延2名様×150円)"));
    EXPECT_EQ(b.SaNumEdit[RowAdvance], QStringLiteral("300"));
    TBillState across;
    OpenBill(across, d, 2);
    EXPECT_EQ(across.GEdit[RowAdvance], QStringLiteral("入湯税(2名×150円 2名×200円)"));
    EXPECT_EQ(across.SaNumEdit[RowAdvance], QStringLiteral("700"));
}

TEST(DatedSettings, SalesReportOfAMonthWithBothRates)
{
    AppData d;
    d.KamokuList = kamokuWithReducedJuice();
    d.BaseData = settings(1, 1, 1);
    const auto l = [](uint32_t bill, const char *seisan, uint32_t key, int32_t tanka) {
        TReserveData r = line(key, tanka, 1, seisan);
        r.MeiNo = bill;
        setFieldText(r.Seisan, QString::fromUtf8(seisan));
        return r;
    };
    d.ReserveList = RecordList<TReserveData>{l(1, "2019/09/30", 1601105, 1000), l(2, "2019/10/01", 1601101, 10000),
                                             l(2, "2019/10/01", 1601105, 1000)};
    std::vector<TTaxShare> byRate;
    const MonthGrid sep = getujiMonth(d, ReportMonth(2019, 9), nullptr, &byRate);
    EXPECT_EQ(sep.headings[GTax], QStringLiteral("消費税8%"));
    EXPECT_EQ(byRate, (std::vector<TTaxShare>{{8, false, 1000, 80}}));
    const MonthGrid oct = getujiMonth(d, ReportMonth(2019, 10), nullptr, &byRate);
    EXPECT_EQ(oct.headings[GTax], QStringLiteral("消費税"));
    EXPECT_EQ(oct.rows[0][GTax], QStringLiteral("1080"));
    EXPECT_EQ(byRate, (std::vector<TTaxShare>{{10, false, 10000, 1000}, {8, true, 1000, 80}}));
}

// Every month of the test fixtures gives the figures it gave at the one fixed rate of 8 %.
TEST(DatedSettings, StoredMonthsReproduceTheirOldFigures)
{
    const MonthSample s = marchSample();
    AppData dated = reportData(s.lines, s.cards, s.base);
    seedDefaultKamoku(dated.KamokuList);
    AppData old = dated;
    old.Money.FixedTax = true;
    old.Money.FixedRate = 8;
    for (const ReportMonth m : {ReportMonth(2008, 2), ReportMonth(2008, 3), ReportMonth(2008, 4)}) {
        SCOPED_TRACE(m.month());
        EXPECT_EQ(getujiMonth(dated, m).rows, getujiMonth(old, m).rows);
        EXPECT_EQ(getujiMonth(dated, m).headings, getujiMonth(old, m).headings);
        EXPECT_EQ(nyutouzeiMonth(dated, m).rows, nyutouzeiMonth(old, m).rows);
    }
}

TEST(DatedSettings, SettingsFileRoundTripAndRefusals)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/norvelreceipt.ini");
    TMoneySettings money;
    money.TaxRates.push_back({QDate(2030, 4, 1), 12, 8});
    money.FixedRate = 7;
    money.setAmountFrom(SettingService, QDate(2026, 12, 16), 15, settings(1, 1, 1));
    money.RegistrationNo = QStringLiteral("T7000012050002");
    {
        IniFile ini(path);
        writeMoneySettings(ini, money);
        ASSERT_TRUE(ini.save());
    }
    TMoneySettings back;
    EXPECT_TRUE(readMoneySettings(IniFile(path), &back).isEmpty());
    EXPECT_EQ(back, money);

    // No section at all: the defaults.
    TMoneySettings none;
    EXPECT_TRUE(readMoneySettings(IniFile(dir.path() + QStringLiteral("/missing.ini")), &none).isEmpty());
    EXPECT_EQ(none, TMoneySettings{});

    const struct {
        const char *text;
        const char *message;
    } tables[] = {
        {"2019/10/01:10/8;2014/04/01:8", "古い順"},
        {"2014/04/01:101", "読めません"},
        {"2014/13/01:8", "正しい日付"},
        {"", "少なくとも1行"},
    };
    for (const auto &t : tables) {
        SCOPED_TRACE(t.text);
        std::vector<TTaxPeriod> rates = TMoneySettings::defaultTaxRates();
        const QString m = readTaxRates(QString::fromUtf8(t.text), &rates);
        EXPECT_TRUE(m.contains(QString::fromUtf8(t.message))) << m.toStdString();
        EXPECT_EQ(rates, TMoneySettings::defaultTaxRates());
    }
}

TEST(RegistrationNo, CheckDigitOfTheCorporateNumber)
{
    const struct {
        const char *text;
        RegistrationCheck result;
    } cases[] = {
        {"T7000012050002", RegistrationCheck::Valid},
        {"T1180301018771", RegistrationCheck::Valid},
        {"T2180301018771", RegistrationCheck::BadCheckDigit}, // first digit changed
        {"T1180301018772", RegistrationCheck::BadCheckDigit}, // last digit changed
        {"T118030101877", RegistrationCheck::Malformed},      // 12 digits
        {"T11803010187710", RegistrationCheck::Malformed},    // 14 digits
        {"1180301018771", RegistrationCheck::Malformed},      // no T
        {"t1180301018771", RegistrationCheck::Malformed},
        {"T11803010187A1", RegistrationCheck::Malformed},
        {"T１180301018771", RegistrationCheck::Malformed}, // a full-width digit
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(checkRegistrationNo(QString::fromUtf8(c.text)), c.result);
    }
}

// A month whose prices include the bathing tax: each receipt takes the
// bathing tax out of its 10 % base, and the month's sales report adds up
// exactly those receipts' figures, per rate and in its tax column.
//   Bill 1: adults 2 x 12,000 (bathing 2 x 150 = 300), juice 2 x 350 (8 %).
//     10 %: 24,000 - 300 = 23,700, tax 23,700 x 10 / 110 = 2,154.5 -> 2,154
//      8 %: 700, tax 700 x 8 / 108 = 51.9 -> 51
//   Bill 2: adults 3 x 9,000 (bathing 450), day use 2 x 2,000 (bathing 2 x 75 = 150).
//     10 %: 31,000 - 600 = 30,400, tax 30,400 x 10 / 110 = 2,763.6 -> 2,763
//   The month: 10 % 54,100 / 4,917, 8 % 700 / 51; the 5th's tax 4,968.
//   (Taxing the bathing tax too gave 2,181 + 51 + 2,818 = 5,050.)
TEST(ConsumptionTax, IncludedBathingTaxIsOutOfTheBaseOnReceiptsAndReport)
{
    const TBaseData base = settings(0, 0, 0);
    const KamokuLists kamoku = kamokuWithReducedJuice();
    const RecordList<TReserveData> bill1 = {line(1601001, 12000, 2, "2026/04/04"), line(1601105, 350, 2, "2026/04/04")};
    const RecordList<TReserveData> bill2 = {line(1601001, 9000, 3, "2026/04/04"), line(1601801, 2000, 2, "2026/04/05")};

    const struct {
        const RecordList<TReserveData> *lines;
        std::vector<TTaxShare> receipt;
    } bills[] = {
        {&bill1, {{10, false, 23700, 2154}, {8, true, 700, 51}}},
        {&bill2, {{10, false, 30400, 2763}}},
    };
    AppData month;
    month.BaseData = base;
    month.KamokuList = kamoku;
    uint32_t billNo = 0;
    for (const auto &b : bills) {
        TBillState state = bill(*b.lines, "2026/04/05", kamoku);
        state.CheckBox2 = true;
        ASSERT_TRUE(CalcTotals(state, base, TMoneySettings{}).isEmpty());
        EXPECT_EQ(state.TaxShares, b.receipt);
        ++billNo;
        for (TReserveData l : *b.lines) {
            l.MeiNo = billNo;
            setFieldText(l.Seisan, QStringLiteral("2026/04/05"));
            month.ReserveList.push_back(l);
        }
    }
    std::vector<TTaxShare> byRate;
    const MonthGrid g = getujiMonth(month, ReportMonth(2026, 4), nullptr, &byRate);
    ASSERT_TRUE(g.error.isEmpty());
    EXPECT_EQ(byRate, (std::vector<TTaxShare>{{10, false, 54100, 4917}, {8, true, 700, 51}}));
    EXPECT_EQ(g.rows[4][GTax], QStringLiteral("4968"));
    EXPECT_EQ(g.rows[4][GBathingTax], QStringLiteral("900"));
    EXPECT_EQ(g.rows[31][GTax], QStringLiteral("4968"));
}

} // namespace
