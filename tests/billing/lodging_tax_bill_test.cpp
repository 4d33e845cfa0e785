// The accommodation tax on a bill: row 4 and the totals in both languages,
// the exempt switch, the tax off (every figure as without it), a tax too
// large refused, and its generated line through saving and reopening.

#include "stored_bills.h"
#include "billing/bill_storage.h"
#include "billing/lodging_tax_lines.h"
#include "reports/getuji.h"
#include "reports/item_sales.h"
#include "reports/nyutouzei.h"
#include "reports/report_month.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

// Three tiers, then from 2026/03/01 five (200 under 6,000; 400 to 19,999; ...).
TMoneySettings cityMoney()
{
    TMoneySettings m;
    m.Lodging.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2018/10/01:0=200,20000=500,50000=1000;"
                                                "2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &m.Lodging.Periods),
              QString());
    return m;
}

TBaseData noBathingTax(TBaseData b)
{
    b.Nyutouzei = 0;
    return b;
}

// Two guests, two nights at 8,000 each from 2026/03/01 (400 a guest-night), beer, and perhaps a telephone call.
RecordList<TReserveData> twoNights(bool advance, const char *first = "2026/03/01", const char *second = "2026/03/02")
{
    RecordList<TReserveData> l = {
        line(1601001, 8000, 2, first),
        line(1601001, 8000, 2, second),
        line(1601102, 800, 3, first),
    };
    if (advance)
        l.push_back(line(1106001, 100, 1, first));
    return l;
}

TBillState billOf(const RecordList<TReserveData> &lines, uint8_t lang, bool exempt = false)
{
    TBillState b;
    BuildSelectors(b, defaultKamoku());
    b.Lines = lines;
    b.SeisanDay = QStringLiteral("2026/03/03");
    b.StayEdit = QStringLiteral("2");
    b.CheckBox1 = false;
    b.LodgingCheck = !exempt;
    b.LangFlag = lang;
    return b;
}

struct BillCase {
    const char *name;
    TBaseData base;
    RecordList<TReserveData> lines;
    bool exempt;
    const char *japanese; // row 4's label
    const char *english;
    const char *row4, *total; // amounts
    int64_t lodging;
    const char *chargeJapanese = "料金計"; // row 2's label
    const char *chargeEnglish = "Charge";
};

const BillCase billCases[] = {
    {"the tax alone is an advance", noBathingTax(settings(1, 1, 1)), twoNights(false), false,
     "宿泊税(4人泊×400円)", "Accommodation Tax(4psn-nights * JPY400)", "1600", "39440", 1600},
    // 34,400 of charges and 10 % tax, then the tax of the town on top.
    {"beside the bathing tax and an advance", settings(1, 1, 1), twoNights(true), false,
     "立替金及び入湯税(2名様×150円×2泊)及び宿泊税(4人泊×400円)",
     "Advance&BathingTax(2psn * JPY150*2nights)&Accommodation Tax(4psn-nights * JPY400)", "2300", "40140", 1600},
    {"a stay across the change of tiers", noBathingTax(settings(1, 1, 1)), twoNights(false, "2026/02/28", "2026/03/01"),
     false, "宿泊税(2人泊×200円 2人泊×400円)",
     "Accommodation Tax(2psn-nights * JPY200 2psn-nights * JPY400)", "1200", "39040", 1200},
    // Prices with everything in: 34,400 is the total before the town's tax.
    // The bathing tax inside the prices and the town's tax on top never
    // share a figure: 料金計 34,400 (of it 600 bathing tax) + 1,600 = 36,000.
    {"bathing tax in the prices: the town's tax still comes on top", settings(0, 0, 0), twoNights(false), false,
     "宿泊税(4人泊×400円)", "Accommodation Tax(4psn-nights * JPY400)", "1600", "36000", 1600,
     "料金計(内 入湯税600円)", "Charge (incl. Bathing Tax JPY600)"},
    {"bathing tax in the prices beside an advance", settings(0, 0, 0), twoNights(true), false,
     "立替金及び宿泊税(4人泊×400円)", "Advance&Accommodation Tax(4psn-nights * JPY400)", "1700", "36100", 1600,
     "料金計(内 入湯税600円)", "Charge (incl. Bathing Tax JPY600)"},
    {"an exempt bill (school trip)", noBathingTax(settings(1, 1, 1)), twoNights(false), true, "*****", "*****", "",
     "37840", 0},
};

TEST(LodgingTaxOnTheBill, RowFourAndTotals)
{
    const TMoneySettings money = cityMoney();
    for (const BillCase &c : billCases) {
        for (uint8_t lang : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (lang ? " (English)" : " (Japanese)"));
            TBillState b = billOf(c.lines, lang, c.exempt);
            const TBillMessage m = CalcTotals(b, c.base, money);
            ASSERT_TRUE(m.isEmpty()) << m.text.toStdString();
            EXPECT_EQ(b.GEdit[RowAdvance], QString::fromUtf8(lang ? c.english : c.japanese));
            EXPECT_EQ(b.SaNumEdit[RowAdvance], QString::fromUtf8(c.row4));
            EXPECT_EQ(b.GEdit[RowCharge], QString::fromUtf8(lang ? c.chargeEnglish : c.chargeJapanese));
            // Row 4 holds only what is added: charges and row 4 make the total.
            EXPECT_EQ(b.SaNumEdit[RowCharge].toLongLong() + (c.base.TaxKubun ? b.SaNumEdit[RowTax].toLongLong() : 0)
                          + b.SaNumEdit[RowAdvance].toLongLong(),
                      b.SaNumEdit[RowTotal].toLongLong());
            EXPECT_EQ(b.SaNumEdit[RowTotal], QString::fromUtf8(c.total));
            EXPECT_EQ(b.SaNumEdit[RowBalance], QString::fromUtf8(c.total));
            EXPECT_EQ(b.LodgingTax, c.lodging);
            // Outside the consumption tax: the tax rows are those of the bill without it.
            TBillState without = billOf(c.lines, lang, true);
            ASSERT_TRUE(CalcTotals(without, c.base, money).isEmpty());
            EXPECT_EQ(b.SaNumEdit[RowTax], without.SaNumEdit[RowTax]);
            EXPECT_EQ(b.TaxShares, without.TaxShares);
        }
    }
}

TEST(LodgingTaxOnTheBill, TurnedOffEveryFigureIsAsWithoutIt)
{
    TMoneySettings off = cityMoney();
    off.Lodging.Enabled = false;
    for (const BillCase &c : billCases) {
        SCOPED_TRACE(c.name);
        TBillState b = billOf(c.lines, 0, c.exempt), plain = billOf(c.lines, 0, c.exempt);
        ASSERT_TRUE(CalcTotals(b, c.base, off).isEmpty());
        ASSERT_TRUE(CalcTotals(plain, c.base).isEmpty());
        EXPECT_EQ(b.SaNumEdit, plain.SaNumEdit);
        EXPECT_EQ(b.GEdit, plain.GEdit);
        EXPECT_EQ(b.LodgingTax, 0);
    }
}

TEST(LodgingTaxOnTheBill, ATaxBeyondTheAmountsIsRefused)
{
    TMoneySettings money = cityMoney();
    ASSERT_EQ(readLodgingPeriods(QStringLiteral("2026/03/01:0=999999"), &money.Lodging.Periods), QString());
    TBillState b = billOf({line(1601001, 1, 3000, "2026/03/01")}, 0); // 3,000 guest-nights at 999,999 yen
    const TBillState before = b;
    const TBillMessage m = CalcTotals(b, settings(1, 1, 1), money);
    EXPECT_EQ(m.title, QStringLiteral("エラー"));
    EXPECT_TRUE(m.text.contains(QStringLiteral("扱える範囲"))) << m.text.toStdString();
    EXPECT_EQ(b.SaNumEdit, before.SaNumEdit);
}

class LodgingTaxStorage : public StoredBills {
public:
    void SetUp() override
    {
        StoredBills::SetUp();
        data.BaseData = noBathingTax(settings(1, 1, 1));
        data.BaseData.Service = 0;
        data.Money = cityMoney();
        RecordList<TReserveData> stored;
        for (TReserveData r : twoNights(false)) {
            r.MeiNo = 100;
            setFieldText(r.Seisan, QStringLiteral("2026/03/03"));
            setFieldText(r.Regday, QStringLiteral("R100"));
            setFieldText(r.Name, QStringLiteral("山田太郎"));
            r.Stay = 2;
            stored.push_back(r);
        }
        data.ReserveList = stored;
    }

    TBillState reopen()
    {
        TBillState b;
        EXPECT_TRUE(OpenBill(b, data, 100).isEmpty());
        return b;
    }
    // The bill's tax line: its text and amount; none: empty text, -1.
    std::pair<QString, int> taxLine() const
    {
        std::pair<QString, int> found{QString(), -1};
        for (const TReserveData &r : data.ReserveList)
            if (r.MeiNo == 100 && r.Kubun == LodgingTaxKey) {
                EXPECT_EQ(found.second, -1) << "one tax line";
                found = {fieldText(r.Kamoku), r.Tanka * r.Suryou};
            }
        return found;
    }
};

TEST_F(LodgingTaxStorage, KeptAsALineOfItsOwnAndTheExemptionSurvivesReopening)
{
    TBillState b = reopen();
    EXPECT_TRUE(b.LodgingCheck);
    EXPECT_EQ(b.SaNumEdit[RowAdvance], QStringLiteral("1600"));
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    EXPECT_EQ(taxLine(), std::make_pair(QStringLiteral("宿泊税(4人泊×400円)"), 1600));

    // Reopened, the line is worked out again from the stays, never shown among the lines.
    b = reopen();
    for (const TReserveData &l : b.Lines)
        EXPECT_NE(l.Kubun, LodgingTaxKey);
    EXPECT_EQ(b.SaNumEdit[RowTotal], QStringLiteral("39440"));
    // One guest fewer on the second night: the line follows, as the service line does.
    b.Lines[1].Suryou = 1;
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    EXPECT_EQ(taxLine(), std::make_pair(QStringLiteral("宿泊税(3人泊×400円)"), 1200));

    // Exempted, the bill keeps a line of 0 that says so, and opens exempted.
    b = reopen();
    b.LodgingCheck = false;
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    EXPECT_EQ(taxLine(), std::make_pair(QStringLiteral("宿泊税(免除)"), 0));
    b = reopen();
    EXPECT_FALSE(b.LodgingCheck);
    EXPECT_EQ(b.GEdit[RowAdvance], BillPlaceholder);

    // And charged again once the switch is back on.
    b.LodgingCheck = true;
    ASSERT_TRUE(CalcTotals(b, data.BaseData, data.Money).isEmpty());
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    EXPECT_EQ(taxLine().second, 1200);
    EXPECT_TRUE(reopen().LodgingCheck);

    // With the tax off, the bill has no such line at all.
    data.Money.Lodging.Enabled = false;
    ASSERT_TRUE(SaveBill(reopen(), data, lib).isEmpty());
    EXPECT_EQ(taxLine().second, -1);
}

// A line's own meal part and an exemption of some guest-nights are kept with
// the bill: the first night at 8,000 with 3,000 of meals is 5,000 (200 a
// guest-night), the second 8,000 (400); one guest-night exempt for age is
// one of the 200s: 1 x 200 + 2 x 400 = 1,000.
TEST_F(LodgingTaxStorage, ALinesMealPartAndAnExemptionSurviveReopening)
{
    TBillState b = reopen();
    EXPECT_EQ(LineMeal(b, 0), -1);
    SetLineMeal(b, 0, 3000);
    b.LodgingExempt = 1;
    b.LodgingReason = QStringLiteral("年齢");
    ASSERT_TRUE(CalcTotals(b, data.BaseData, data.Money).isEmpty());
    EXPECT_EQ(b.SaNumEdit[RowAdvance], QStringLiteral("1000"));
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    EXPECT_EQ(taxLine(), std::make_pair(QStringLiteral("宿泊税(1人泊×200円 2人泊×400円)"), 1000));
    // The notes carry no amount: the meal part right after its line, the exemption among the generated lines.
    std::vector<std::tuple<uint32_t, QString, int, int>> notes;
    for (const TReserveData &r : data.ReserveList)
        if (r.MeiNo == 100 && isLodgingNote(r))
            notes.emplace_back(r.Kubun, fieldText(r.Kamoku), r.Tanka, r.Suryou);
    EXPECT_EQ(notes, (std::vector<std::tuple<uint32_t, QString, int, int>>{
                         {LodgingNoteKey, QStringLiteral("うち食事代"), 3000, 0},
                         {LodgingNoteKey, QStringLiteral("免除:年齢"), 0, 1}}));
    EXPECT_TRUE(isLodgingNote(data.ReserveList[1]));

    b = reopen();
    EXPECT_EQ(LineMeal(b, 0), 3000);
    EXPECT_EQ(LineMeal(b, 1), -1);
    EXPECT_EQ(b.LodgingExempt, 1);
    EXPECT_EQ(b.LodgingReason, QStringLiteral("年齢"));
    EXPECT_EQ(b.SaNumEdit[RowAdvance], QStringLiteral("1000"));
    for (const TReserveData &l : b.Lines)
        EXPECT_FALSE(isLodgingNote(l));
    // Saved again unchanged, nothing stored changes.
    const RecordList<TReserveData> before = data.ReserveList;
    ASSERT_TRUE(SaveBill(b, data, lib).isEmpty());
    ASSERT_EQ(data.ReserveList.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(std::memcmp(&data.ReserveList[i], &before[i], sizeof(TReserveData)), 0) << i;
    // The notes are no sale: the month's reports read as without them.
    AppData without = data;
    RecordList<TReserveData> kept;
    for (const TReserveData &r : data.ReserveList)
        if (!isLodgingNote(r))
            kept.push_back(r);
    without.ReserveList = kept;
    const ReportMonth march(2026, 3);
    EXPECT_EQ(getujiMonth(data, march).rows, getujiMonth(without, march).rows);
    EXPECT_EQ(nyutouzeiMonth(data, march).rows, nyutouzeiMonth(without, march).rows);
    for (int category : {0, 1, 2})
        EXPECT_EQ(itemSalesMonth(data, march, category).rows, itemSalesMonth(without, march, category).rows);
    // The item chosen again on that line takes the item's meal part (none) once more.
    b = reopen();
    PickItem(b, 0, 0);
    EXPECT_EQ(LineMeal(b, 0), -1);
}

} // namespace
