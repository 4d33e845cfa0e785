// The eight summary rows of a bill: sums, service charge, tax, bathing tax and
// advance labels in both languages, switches, placeholders, refusals.

#include "bill_fixtures.h"
#include "storage/clock.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

// The bills here are of 2007 and still open: "today" is a day of theirs, under the 8 % of that time.
struct TodayIn2007 : ::testing::Environment {
    void SetUp() override { Clock::setFixed(QDateTime(QDate(2007, 8, 11), QTime(10, 0))); }
    void TearDown() override { Clock::setFixed({}); }
};
const auto *const today = ::testing::AddGlobalTestEnvironment(new TodayIn2007);

RecordList<TReserveData> twoNights(bool advance)
{
    RecordList<TReserveData> l = {
        line(1601001, 10000, 2, "2007/08/09"),
        line(1601001, 10000, 2, "2007/08/10"),
        line(1601102, 800, 3, "2007/08/09"),
    };
    if (advance)
        l.push_back(line(1106001, 100, 1, "2007/08/09"));
    return l;
}

TBaseData noBathingTax(TBaseData b)
{
    b.Nyutouzei = 0;
    return b;
}

struct TotalsCase {
    const char *name;
    TBaseData base;
    RecordList<TReserveData> lines;
    const char *stay;
    int discountIndex; // NebikiCombo item, 0 = "*****"
    const char *discount;
    int depositIndex;  // CouponCombo item, 0 = "*****"
    const char *deposit;
    bool service;
    bool bath;
    std::array<const char *, 3> japanese; // labels of rows 0, 3, 4
    std::array<const char *, 3> english;
    std::array<const char *, 8> amounts;  // SaNumEdit0..7
};

const TotalsCase totalsCases[] = {
    {"all added, discount and deposit", settings(1, 1, 1), twoNights(true), "2", 5, "-1000", 3, "10000", true, true,
     {"サービス料10%", "消費税（8%）", "立替金及び入湯税(2名様×150円×2泊)"},
     {"Service Charge10%", "Consumption Tax 8%", "Advance&BathingTax(2psn * JPY150*2nights)"},
     {"4240", "-1000", "45640", "3652", "700", "49992", "10000", "39992"}},
    {"all included", settings(0, 0, 0), twoNights(false), "2", 0, "", 0, "", true, true,
     {"(内サービス料10%)", "(内 消費税8%)", "(内 入湯税(2名様×150円×2泊))"},
     {"(inclusive Service Charge10%)", "Consumption Tax 8% incl.", "(inclusive BathingTax(2psn * JPY150*2nights))"},
     {"4240", "", "42400", "3096", "600", "42400", "", "42400"}},
    {"nights field 3: not even", settings(0, 0, 0), twoNights(false), "3", 0, "", 0, "", true, true,
     {"(内サービス料10%)", "(内 消費税8%)", "(内 入湯税(延4名様×150円))"},
     {"(inclusive Service Charge10%)", "Consumption Tax 8% incl.", "(inclusive BathingTax(4psn * JPY150))"},
     {"4240", "", "42400", "3096", "600", "42400", "", "42400"}},
    {"advance only, bathing tax included", settings(0, 0, 0), {line(1106001, 500, 1, "2007/08/09")}, "1", 0, "", 0,
     "", true, true, {"*****", "(内 消費税8%)", "立替金"},
     {"*****", "Consumption Tax 8% incl.", "Advance"},
     {"", "", "0", "0", "500", "500", "", "500"}},
    {"bathing tax added, no advance", settings(1, 1, 1), twoNights(false), "2", 0, "", 0, "", true, true,
     {"サービス料10%", "消費税（8%）", "入湯税(2名様×150円×2泊)"},
     {"Service Charge10%", "Consumption Tax 8%", "BathingTax(2psn * JPY150*2nights)"},
     {"4240", "", "46640", "3732", "600", "50972", "", "50972"}},
    {"bathing-tax switch off, added", settings(1, 1, 1), twoNights(false), "2", 0, "", 0, "", true, false,
     {"サービス料10%", "消費税（8%）", "*****"}, {"Service Charge10%", "Consumption Tax 8%", "*****"},
     {"4240", "", "46640", "3732", "", "50372", "", "50372"}},
    {"bathing-tax switch off, included: tax base keeps the charge", settings(0, 0, 0), twoNights(false), "2", 0, "",
     0, "", true, false, {"(内サービス料10%)", "(内 消費税8%)", "*****"},
     {"(inclusive Service Charge10%)", "Consumption Tax 8% incl.", "*****"},
     {"4240", "", "42400", "3140", "", "42400", "", "42400"}},
    {"discount placeholder empties the discount", settings(1, 1, 1), twoNights(true), "2", 0, "-1000", 3, "10000",
     true, true, {"サービス料10%", "消費税（8%）", "立替金及び入湯税(2名様×150円×2泊)"},
     {"Service Charge10%", "Consumption Tax 8%", "Advance&BathingTax(2psn * JPY150*2nights)"},
     {"4240", "", "46640", "3732", "700", "51072", "10000", "41072"}},
    {"deposit placeholder empties the deposit", settings(1, 1, 1), twoNights(true), "2", 5, "-1000", 0, "10000",
     true, true, {"サービス料10%", "消費税（8%）", "立替金及び入湯税(2名様×150円×2泊)"},
     {"Service Charge10%", "Consumption Tax 8%", "Advance&BathingTax(2psn * JPY150*2nights)"},
     {"4240", "-1000", "45640", "3652", "700", "49992", "", "49992"}},
    {"service switch off", settings(1, 1, 1), twoNights(true), "2", 5, "-1000", 3, "10000", false, true,
     {"*****", "消費税（8%）", "立替金及び入湯税(2名様×150円×2泊)"},
     {"*****", "Consumption Tax 8%", "Advance&BathingTax(2psn * JPY150*2nights)"},
     {"", "-1000", "41400", "3312", "700", "45412", "10000", "35412"}},
    {"advance, stay and day-use bathing tax", settings(1, 1, 1),
     {line(1601001, 10000, 2, "2007/08/09"), line(1601801, 3000, 2, "2007/08/09"), line(1106001, 100, 1)}, "1", 0,
     "", 0, "", false, true, {"*****", "消費税（8%）", "立替金及び入湯税(2名×150円 2名×75円)"},
     {"*****", "Consumption Tax 8%", "Advance&BathingTax(2psn * JPY150 2psn * JPY75)"},
     {"", "", "26000", "2080", "550", "28630", "", "28630"}},
    {"stay and day-use bathing tax", settings(1, 1, 1),
     {line(1601001, 10000, 2, "2007/08/09"), line(1601801, 3000, 2, "2007/08/09")}, "1", 0, "", 0, "", false, true,
     {"*****", "消費税（8%）", "入湯税(2名×150円 2名×75円)"},
     {"*****", "Consumption Tax 8%", "BathingTax(2psn * JPY150 2psn * JPY75)"},
     {"", "", "26000", "2080", "450", "28530", "", "28530"}},
    {"advance and day-use bathing tax", settings(1, 1, 1), {line(1601802, 3000, 3), line(1106001, 100, 1)}, "0", 0,
     "", 0, "", false, true, {"*****", "消費税（8%）", "立替金及び日帰り入湯税(延3名様×75円)"},
     {"*****", "Consumption Tax 8%", "Advance&DayUseBathingTax(3psn * JPY75)"},
     {"", "", "9000", "720", "325", "10045", "", "10045"}},
    {"day-use bathing tax", settings(1, 1, 1), {line(1601802, 3000, 3)}, "0", 0, "", 0, "", false, true,
     {"*****", "消費税（8%）", "日帰り入湯税(延3名様×75円)"},
     {"*****", "Consumption Tax 8%", "DayUseBathingTax(3psn * JPY75)"},
     {"", "", "9000", "720", "225", "9945", "", "9945"}},
    {"advance and bathing tax, not even", settings(1, 1, 1), twoNights(true), "3", 0, "", 0, "", false, true,
     {"*****", "消費税（8%）", "立替金及び入湯税(延4名様×150円)"},
     {"*****", "Consumption Tax 8%", "Advance&BathingTax(4psn * JPY150)"},
     {"", "", "42400", "3392", "700", "46492", "", "46492"}},
    {"one night, even", settings(1, 1, 1), {line(1601002, 10000, 2, "2007/08/09")}, "1", 0, "", 0, "", false, true,
     {"*****", "消費税（8%）", "入湯税(2名様×150円×1泊)"},
     {"*****", "Consumption Tax 8%", "BathingTax(2psn * JPY150*1night)"},
     {"", "", "20000", "1600", "300", "21900", "", "21900"}},
    {"adult lines without a date are never even", settings(1, 1, 1), {line(1601001, 10000, 2)}, "0", 0, "", 0, "",
     false, true, {"*****", "消費税（8%）", "入湯税(延2名様×150円)"},
     {"*****", "Consumption Tax 8%", "BathingTax(2psn * JPY150)"},
     {"", "", "20000", "1600", "300", "21900", "", "21900"}},
    {"persons not a multiple of the nights", settings(1, 1, 1),
     {line(1601001, 10000, 2, "2007/08/09"), line(1601001, 10000, 1, "2007/08/10")}, "2", 0, "", 0, "", false, true,
     {"*****", "消費税（8%）", "入湯税(延3名様×150円)"},
     {"*****", "Consumption Tax 8%", "BathingTax(3psn * JPY150)"},
     {"", "", "30000", "2400", "450", "32850", "", "32850"}},
    {"exempt keys count no guests", settings(1, 1, 1), {line(1601991, 10000, 2, "2007/08/09")}, "1", 0, "", 0, "",
     false, true, {"*****", "消費税（8%）", "*****"}, {"*****", "Consumption Tax 8%", "*****"},
     {"", "", "20000", "1600", "", "21600", "", "21600"}},
    {"no bathing tax rate: no day-use tax either", noBathingTax(settings(1, 1, 1)), {line(1601801, 3000, 2)}, "0", 0,
     "", 0, "", false, true, {"*****", "消費税（8%）", "*****"}, {"*****", "Consumption Tax 8%", "*****"},
     {"", "", "6000", "480", "", "6480", "", "6480"}},
};

TBillState billFor(const TotalsCase &c, uint8_t lang)
{
    TBillState b;
    BuildSelectors(b, defaultKamoku());
    b.Lines = c.lines;
    b.StayEdit = QString::fromUtf8(c.stay);
    b.NebikiCombo.ItemIndex = c.discountIndex;
    b.SaNumEdit[RowDiscount] = QString::fromUtf8(c.discount);
    b.CouponCombo.ItemIndex = c.depositIndex;
    b.SaNumEdit[RowDeposit] = QString::fromUtf8(c.deposit);
    b.CheckBox1 = c.service;
    b.CheckBox2 = c.bath;
    b.LangFlag = lang;
    return b;
}

TEST(CalcTotals, RowsInBothLanguages)
{
    for (const TotalsCase &c : totalsCases) {
        for (uint8_t lang : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (lang ? " (English)" : " (Japanese)"));
            TBillState b = billFor(c, lang);
            const TBillMessage m = CalcTotals(b, c.base);
            ASSERT_TRUE(m.isEmpty()) << m.text.toStdString();
            const auto &labels = lang ? c.english : c.japanese;
            EXPECT_EQ(b.GEdit[RowService], QString::fromUtf8(labels[0]));
            EXPECT_EQ(b.GEdit[RowTax], QString::fromUtf8(labels[1]));
            EXPECT_EQ(b.GEdit[RowAdvance], QString::fromUtf8(labels[2]));
            EXPECT_EQ(b.GEdit[RowCharge], lang ? QStringLiteral("Charge") : QStringLiteral("料金計"));
            EXPECT_EQ(b.GEdit[RowTotal], lang ? QStringLiteral("Total") : QStringLiteral("ご利用額合計"));
            EXPECT_EQ(b.GEdit[RowBalance], lang ? QStringLiteral("Balance") : QStringLiteral("ご請求金額"));
            EXPECT_TRUE(b.GEdit[RowDiscount].isEmpty() && b.GEdit[RowDeposit].isEmpty());
            for (int i = 0; i < BillRows; ++i)
                EXPECT_EQ(b.SaNumEdit[size_t(i)], QString::fromUtf8(c.amounts[size_t(i)])) << "row " << i;
        }
    }
}

TEST(CalcTotals, SumsOverEveryPage)
{
    TBillState b;
    b.Lines.resize(40);
    b.Lines[3] = line(1601001, 10000, 2, "2007/08/09");
    b.Lines[20] = line(1601001, 10000, 2, "2007/08/10"); // page 2
    b.Lines[35] = line(1106002, 250, 2, "2007/08/10");   // page 3
    const TBillSums s = billSums(b.Lines);
    EXPECT_EQ(s.charges, 40000);
    EXPECT_EQ(s.advances, 500);
    EXPECT_EQ(s.q, 4);
    EXPECT_EQ(s.n, 2);
    // Only the adult lines' dates count as nights.
    b.Lines[10] = line(1601102, 800, 1, "2007/08/11");
    EXPECT_EQ(billSums(b.Lines).n, 2);
}

TEST(CalcTotals, AddedTaxRoundsUpFromATenth)
{
    const struct {
        int base;
        const char *tax;
    } cases[] = {{1001, "80"}, {1002, "81"}, {-1000, "-79"}, {1000, "80"}, {0, "0"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.base);
        TBillState b;
        b.Lines = {line(1601101, c.base, 1)};
        ASSERT_TRUE(CalcTotals(b, settings(1, 1, 1)).isEmpty());
        EXPECT_EQ(b.SaNumEdit[RowTax], QString::fromUtf8(c.tax));
        EXPECT_EQ(b.SaNumEdit[RowTotal], QString::number(c.base + QString::fromUtf8(c.tax).toInt()));
    }
    EXPECT_EQ(includedTax(41800, 8), 3096);
    EXPECT_EQ(includedTax(-1080, 8), -80);
}

TEST(CalcTotals, RefusesWithoutChangingAnything)
{
    const struct {
        const char *name;
        RecordList<TReserveData> lines;
        const char *discount;
        const char *deposit;
    } cases[] = {
        {"charges beyond 32 bits", {line(1601101, 2000000000, 2)}, "", ""},
        {"total beyond 32 bits through the tax", {line(1601101, 2000000000, 1)}, "", ""},
        {"negative total beyond 32 bits", {line(1601101, -2000000000, 1), line(1106001, -2000000000, 1)}, "", ""},
        {"discount with a fraction", {line(1601101, 1000, 1)}, "-12.5", ""},
        {"deposit that is no number", {line(1601101, 1000, 1)}, "", "1,000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b;
        BuildSelectors(b, defaultKamoku());
        b.NebikiCombo.ItemIndex = 1;
        b.CouponCombo.ItemIndex = 1;
        b.SaNumEdit = {"1", c.discount, "2", "3", "4", "5", c.deposit, "7", "8"};
        b.GEdit = {"a", "", "b", "c", "d", "e", "", "f"};
        const auto amounts = b.SaNumEdit;
        const auto labels = b.GEdit;
        b.Lines = c.lines;
        const TBillMessage m = CalcTotals(b, settings(1, 1, 1));
        EXPECT_EQ(m.title, QStringLiteral("エラー"));
        EXPECT_FALSE(m.text.isEmpty());
        EXPECT_EQ(b.SaNumEdit, amounts);
        EXPECT_EQ(b.GEdit, labels);
    }
    // At the very edge of the range the total still stands.
    TBillState b;
    b.Lines = {line(1601101, 2147483647, 1)};
    EXPECT_TRUE(CalcTotals(b, settings(1, 1, 0)).isEmpty());
    EXPECT_EQ(b.SaNumEdit[RowTotal], QStringLiteral("2147483647"));
}

TEST(CalcTotals, ReadsAmountTexts)
{
    const struct {
        const char *text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"", true, 0},         {"-", true, 0},      {"0", true, 0},        {"1234", true, 1234},
        {"-1000", true, -1000}, {"12.", true, 12},  {"12.000", true, 12},  {" 7 ", true, 7},
        {"12.5", false, 0},    {"-0.01", false, 0}, {"1,000", false, 0},   {"abc", false, 0},
        {".", false, 0},       {"--1", false, 0},   {"99999999999", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        int64_t v = -42;
        EXPECT_EQ(readAmount(QString::fromUtf8(c.text), &v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

// Damaged records put huge numbers into prices and quantities; no sum,
// product or rate may wrap into a plausible total.
TEST(CalcTotals, NothingWrapsEverythingBeyondAnAmountIsRefused)
{
    const int32_t min = std::numeric_limits<int32_t>::min();
    const int32_t max = std::numeric_limits<int32_t>::max();
    const struct {
        const char *name;
        RecordList<TReserveData> lines;
        uint8_t serviceKubun;
        const char *where; // part of the message
    } cases[] = {
        {"64-bit sum of four huge lines wraps to the fifth",
         {line(1601102, min, min), line(1601102, min, min), line(1601102, min, min), line(1601102, min, min),
          line(1601102, 10000, 1)},
         1, "1ページ 1行目"},
        {"one line beyond 32 bits", {line(1601102, 1, 1), line(1601102, 70000, 70000)}, 1, "1ページ 2行目"},
        {"line on the second page", RecordList<TReserveData>(17, line(1601102, 1, 1)), 1, ""},
        {"sum of amounts beyond 32 bits", {line(1601102, max, 1), line(1601102, 1, 1)}, 1, "合計"},
        {"advances beyond 32 bits", {line(1106001, max, 1), line(1106001, max, 1)}, 1, "合計"},
        {"service added beyond", {line(1601102, 2000000000, 1)}, 1, "合計"},
        {"persons times bathing tax", {line(1601001, 1, max)}, 1, "合計"},
        {"tax added beyond", {line(1601102, 2100000000, 1)}, 0, "合計"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b;
        BuildSelectors(b, defaultKamoku());
        b.Lines = c.lines;
        if (std::string(c.name) == "line on the second page")
            b.Lines[16] = line(1601102, max, 2);
        b.CheckBox1 = true;
        const auto before = b.SaNumEdit;
        TBaseData base = settings(c.serviceKubun, 1, 1);
        const TBillMessage m = CalcTotals(b, base);
        EXPECT_EQ(m.title, QStringLiteral("エラー"));
        EXPECT_TRUE(m.text.contains(QStringLiteral("-2,147,483,648円から2,147,483,647円まで"))) << m.text.toStdString();
        if (std::string(c.name) == "line on the second page")
            EXPECT_TRUE(m.text.contains(QStringLiteral("2ページ 1行目"))) << m.text.toStdString();
        else
            EXPECT_TRUE(m.text.contains(QString::fromUtf8(c.where))) << m.text.toStdString();
        EXPECT_EQ(b.SaNumEdit, before);
    }
}

TEST(CalcTotals, CheckedArithmeticStopsAtTheAmountRange)
{
    const int64_t max = std::numeric_limits<int32_t>::max();
    const int64_t min = std::numeric_limits<int32_t>::min();
    int64_t r = 7;
    EXPECT_TRUE(checkedAdd(max - 1, 1, &r));
    EXPECT_EQ(r, max);
    EXPECT_FALSE(checkedAdd(max, 1, &r));
    EXPECT_EQ(r, max); // unchanged on refusal
    EXPECT_TRUE(checkedSub(min + 1, 1, &r));
    EXPECT_FALSE(checkedSub(min, 1, &r));
    EXPECT_TRUE(checkedMul(-46341, 46340, &r));
    EXPECT_FALSE(checkedMul(46341, 46341, &r));
    EXPECT_FALSE(checkedMul(INT64_MIN, -1, &r));
    EXPECT_FALSE(checkedAdd(INT64_MAX, INT64_MAX, &r));
}

TEST(CalcTotals, AmountFieldMessagesNameTheRangeOrAskForWholeYen)
{
    EXPECT_EQ(amountFieldMessage(QStringLiteral("値引きの金額"), QStringLiteral("-3000000000")).text,
              QStringLiteral("値引きの金額は-2,147,483,648円から2,147,483,647円までの範囲で入力してください"));
    EXPECT_EQ(amountFieldMessage(QStringLiteral("値引きの金額"), QStringLiteral("99999999999999999999")).text,
              QStringLiteral("値引きの金額は-2,147,483,648円から2,147,483,647円までの範囲で入力してください"));
    EXPECT_EQ(amountFieldMessage(QStringLiteral("ご予約金の金額"), QStringLiteral("12.5")).text,
              QStringLiteral("ご予約金の金額は円単位の整数で入力してください"));
}

} // namespace
