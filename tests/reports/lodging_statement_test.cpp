// The accommodation-tax statement of a month in which the town's tiers
// change, against figures worked out by hand; the tax off; and the
// command-line export equal to the window's grid.

#include "../printing/gui_test_env.h"
#include "../printing/page_checks.h"
#include "billing/lodging_tax_lines.h"
#include "printing/renderer.h"
#include "reports/shukuhaku_prin_form.h"
#include "reports/lodging_statement.h"
#include "reports/month_export.h"
#include "reports/report_month.h"
#include "report_fixtures.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/money_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The statement's one printed page, kept as a PDF when NORVEL_KEEP_PDF names
// a file (with the suffix before .pdf), checked for every want among its
// texts, every border once and nothing over anything.
void checkPrintout(const MonthGrid &g, const QString &month, const TBaseData &inn, const QString &suffix,
                   std::initializer_list<const char *> want)
{
    using namespace printing;
    const PageModel m = TShukuhakuPrinForm(month, g, inn).Run();
    ASSERT_EQ(m.pages.size(), 1);
    if (qEnvironmentVariableIsSet("NORVEL_KEEP_PDF")) // to look at it
        EXPECT_EQ(saveDocumentPdf(qEnvironmentVariable("NORVEL_KEEP_PDF").replace(".pdf", suffix + ".pdf"), m),
                  QString());
    EXPECT_EQ(m.setup.orientation, QPageLayout::Landscape);
    QStringList texts;
    for (const PageItem &item : m.pages[0].items)
        if (const auto *t = std::get_if<TextItem>(&item))
            texts << t->text;
    for (const char *w : want)
        EXPECT_TRUE(texts.contains(QString::fromUtf8(w))) << w;
    for (const QString &close : page_checks::closeRules(m, 0, 0.5))
        ADD_FAILURE() << close.toStdString();
    for (const QString &o : page_checks::overlappingTexts(page_checks::inkBoxes(m, 0)))
        ADD_FAILURE() << o.toStdString();
}

// Three tiers until 2026/03/14, five from 2026/03/15.
AppData marchOfTheChange()
{
    RecordList<TReserveData> lines = lineList({
        // Two guests, two nights at 8,000 under the old tiers: 200 each.
        billLine(1, "2026/03/03", "2026/03/01", 1601001, 8000, 2),
        billLine(1, "2026/03/03", "2026/03/01", 1601102, 800, 3), // beer bears none
        billLine(1, "2026/03/03", "2026/03/02", 1601001, 8000, 2),
        // At 25,000 across the change: 500 the night before it, 1,000 from it; a child at 5,000: 200.
        billLine(2, "2026/03/16", "2026/03/14", 1601001, 25000, 2),
        billLine(2, "2026/03/16", "2026/03/15", 1601001, 25000, 2),
        billLine(2, "2026/03/16", "2026/03/15", 1601003, 5000, 1),
        // A school trip, exempted: its line of 0 says so.
        billLine(3, "2026/03/21", "2026/03/20", 1601001, 7000, 30),
        billLine(3, "2026/03/21", "2026/03/20", LodgingTaxKey, 0, 1),
        // Still open on the last night, at 120,000: 10,000.
        billLine(4, "", "2026/03/31", 1601002, 120000, 1),
        // April's night belongs to April.
        billLine(5, "2026/04/02", "2026/04/01", 1601001, 8000, 2),
    });
    AppData d = reportData(lines, {}, reportSettings());
    d.Money.Lodging.Enabled = true;
    EXPECT_EQ(readLodgingPeriods(QStringLiteral("2018/10/01:0=200,20000=500,50000=1000;"
                                                "2026/03/15:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &d.Money.Lodging.Periods),
              QString());
    return d;
}

TEST(LodgingStatement, AMonthOfTheChangeWorkedByHand)
{
    const MonthGrid g = lodgingTaxMonth(marchOfTheChange(), ReportMonth(2026, 3));
    ASSERT_TRUE(g.error.isEmpty()) << g.error.toStdString();
    // The tiers of both periods, the old first, each named by its period; then the sums.
    EXPECT_EQ(g.headings, (QStringList{"日", "2018/10/01から 〜19,999円 200円", "2018/10/01から 20,000〜49,999円 500円",
                                       "2018/10/01から 50,000円〜 1,000円", "2026/03/15から 〜5,999円 200円",
                                       "2026/03/15から 6,000〜19,999円 400円", "2026/03/15から 20,000〜49,999円 1,000円",
                                       "2026/03/15から 50,000〜99,999円 4,000円", "2026/03/15から 100,000円〜 10,000円",
                                       "人泊計", "免除 人泊", "税額"}));
    EXPECT_EQ(lodgingTierColumns(g), 8);
    ASSERT_EQ(g.rows.size(), 32u);
    // Day -> cells set (column, text); every other cell of the row is empty.
    const std::map<int, std::map<int, QString>> expected = {
        {1, {{1, "2"}, {9, "2"}, {11, "400"}}},
        {2, {{1, "2"}, {9, "2"}, {11, "400"}}},
        {14, {{2, "2"}, {9, "2"}, {11, "1000"}}},
        {15, {{4, "1"}, {6, "2"}, {9, "3"}, {11, "2200"}}},
        {20, {{10, "30"}}},
        {31, {{8, "1"}, {9, "1"}, {11, "10000"}}},
        {32, {{1, "4"}, {2, "2"}, {4, "1"}, {6, "2"}, {8, "1"}, {9, "10"}, {10, "30"}, {11, "14000"}}},
    };
    for (int r = 0; r < 32; ++r) {
        SCOPED_TRACE(r + 1);
        ASSERT_EQ(g.rows[size_t(r)].size(), 12);
        EXPECT_EQ(g.rows[size_t(r)][0], r == 31 ? QStringLiteral("合計") : reports::rowLabel(ReportMonth(2026, 3), r));
        const auto day = expected.find(r + 1);
        for (int c = 1; c < 12; ++c) {
            const QString want = day != expected.end() && day->second.count(c) ? day->second.at(c) : QString();
            EXPECT_EQ(g.rows[size_t(r)][c], want) << "column " << c;
        }
    }
}

TEST(LodgingStatement, TaxOffShowsOnlyTheExemptions)
{
    AppData d = marchOfTheChange();
    d.Money.Lodging.Enabled = false;
    const MonthGrid g = lodgingTaxMonth(d, ReportMonth(2026, 3));
    EXPECT_EQ(g.headings, (QStringList{"日", "人泊計", "免除 人泊", "税額"}));
    EXPECT_EQ(g.rows[31], (QStringList{"合計", "", "30", ""}));
}

TEST(LodgingStatement, TheExportIsTheWindowsGrid)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppData d = marchOfTheChange();
    TLibrary lib;
    ASSERT_TRUE(lib.WriteRecords(&d.BaseData, sizeof(TBaseData), dir.filePath("base.dat"), 1));
    ASSERT_TRUE(lib.WriteRecords(d.ReserveList.data(), sizeof(TReserveData), dir.filePath("reserve.dat"),
                                 int(d.ReserveList.size())));
    IniFile ini(dir.filePath("norvelreceipt.ini"));
    writeMoneySettings(ini, d.Money);
    ASSERT_TRUE(ini.save());
    const QString out = dir.filePath("lodging.csv");
    QString message;
    ASSERT_EQ(runMonthExport({"--export", "lodging", "--month", "2026-03", "--out", out}, dir.path(), &message),
              ExportOk)
        << message.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), monthGridCsv(lodgingTaxMonth(d, ReportMonth(2026, 3))));
}

// Every guest item of the accommodation category counts on the statement
// (the inn's own stay item, その他宿泊料金, a charged infant), a pet does not,
// and a stay line without a date, which no night can count, is named.
TEST(LodgingStatement, EveryGuestItemCountsAndAnUndatedStayIsNamed)
{
    TReserveData undated = billLine(2, "2026/04/03", "", 1601012, 8000, 2);
    setFieldText(undated.Kamoku, QStringLiteral("その他宿泊料金"));
    AppData d = reportData(lineList({
                               billLine(1, "2026/04/03", "2026/04/01", 1601013, 8000, 2), // 400 each
                               billLine(1, "2026/04/03", "2026/04/01", 1601012, 5000, 1), // 200
                               billLine(1, "2026/04/03", "2026/04/02", 1601004, 3000, 1), // infant: 200
                               billLine(1, "2026/04/03", "2026/04/01", 1601009, 8000, 1), // pet: none
                               undated,
                           }),
                           {}, reportSettings());
    d.Money.Lodging.Enabled = true;
    ASSERT_EQ(readLodgingPeriods(QStringLiteral("2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                                 &d.Money.Lodging.Periods),
              QString());
    const MonthGrid g = lodgingTaxMonth(d, ReportMonth(2026, 4));
    ASSERT_TRUE(g.error.isEmpty());
    ASSERT_EQ(g.headings.size(), 9);
    // Columns: 1 〜5,999円 200円, 2 6,000〜19,999円 400円, 6 人泊計, 7 免除, 8 税額.
    EXPECT_EQ(g.rows[0], (QStringList{reports::rowLabel(ReportMonth(2026, 4), 0), "1", "2", "", "", "", "3", "", "1000"}));
    EXPECT_EQ(g.rows[1], (QStringList{reports::rowLabel(ReportMonth(2026, 4), 1), "1", "", "", "", "", "1", "", "200"}));
    EXPECT_EQ(g.rows[31], (QStringList{"合計", "2", "2", "", "", "", "4", "", "1200"}));
    EXPECT_EQ(lodgingUndatedLines(d, ReportMonth(2026, 4)), QStringList{"伝票No.2 その他宿泊料金 ×2名"});
    EXPECT_TRUE(lodgingUndatedLines(d, ReportMonth(2026, 3)).isEmpty());
}

// A town-plus-prefecture tax: 300 (town 200 + prefecture 100) under
// 20,000, 500 (400 + 100) from it. Worked by hand:
//  bill 1, 5/1 and 5/2, two guests at 8,000: 4 guest-nights x 300 = 1,200 (town 800, prefecture 400);
//  bill 2, 5/10, one guest at 30,000: 500 (400, 100);
//  bill 3, a school trip on 5/12 and 5/13 of 30 pupils and 2 teachers at
//  8,000, 60 guest-nights exempt for the trip: the pupils' 30 each night,
//  the teachers pay 4 x 300 = 1,200 (800, 400), 2 guest-nights each night.
//  Month: 8 + 1 = 9 taxed guest-nights, 60 exempt, tax 8 x 300 + 500 = 2,900,
//  town 8 x 200 + 400 = 2,000, prefecture 8 x 100 + 100 = 900.
TEST(LodgingStatement, ATownAndPrefectureTaxAndASchoolTrip)
{
    AppData d = reportData(lineList({
                               billLine(1, "2026/05/03", "2026/05/01", 1601001, 8000, 2),
                               billLine(1, "2026/05/03", "2026/05/02", 1601001, 8000, 2),
                               billLine(2, "2026/05/11", "2026/05/10", 1601002, 30000, 1),
                               billLine(3, "2026/05/14", "2026/05/12", 1601001, 8000, 30),
                               billLine(3, "2026/05/14", "2026/05/12", 1601002, 8000, 2),
                               billLine(3, "2026/05/14", "2026/05/13", 1601001, 8000, 30),
                               billLine(3, "2026/05/14", "2026/05/13", 1601002, 8000, 2),
                           }),
                           {}, reportSettings());
    TReserveData trip = lodgingExemptNote(60, QStringLiteral("修学旅行"));
    trip.MeiNo = 3;
    setFieldText(trip.Seisan, QStringLiteral("2026/05/14"));
    setFieldText(trip.Rsvday, QStringLiteral("2026/05/12"));
    d.ReserveList.edit().push_back(trip);
    d.Money.Lodging.Enabled = true;
    ASSERT_EQ(readLodgingPeriods(QStringLiteral("2026/04/01:0=300,20000=500"), &d.Money.Lodging.Periods), QString());
    ASSERT_EQ(readLodgingPeriodShares(QStringLiteral("2026/04/01:0=町200+県100,20000=町400+県100"),
                                      &d.Money.Lodging.Periods),
              QString());
    const MonthGrid g = lodgingTaxMonth(d, ReportMonth(2026, 5));
    ASSERT_TRUE(g.error.isEmpty()) << g.error.toStdString();
    EXPECT_EQ(g.headings, (QStringList{"日", "〜19,999円 300円", "20,000円〜 500円", "人泊計", "免除 人泊",
                                       "免除 修学旅行", "税額", "町 税額", "県 税額"}));
    const auto row = [&](int day, QStringList cells) {
        cells.prepend(day == 0 ? QStringLiteral("合計") : reports::rowLabel(ReportMonth(2026, 5), day - 1));
        return cells;
    };
    EXPECT_EQ(g.rows[0], row(1, {"2", "", "2", "", "", "600", "400", "200"}));
    EXPECT_EQ(g.rows[9], row(10, {"", "1", "1", "", "", "500", "400", "100"}));
    EXPECT_EQ(g.rows[11], row(12, {"2", "", "2", "30", "30", "600", "400", "200"}));
    EXPECT_EQ(g.rows[12], row(13, {"2", "", "2", "30", "30", "600", "400", "200"}));
    EXPECT_EQ(g.rows[31], row(0, {"8", "1", "9", "60", "60", "2900", "2000", "900"}));

    // On paper: every column's heading and sum, nothing over anything.
    checkPrintout(g, QStringLiteral("2026年05月分"), reportSettings(), QStringLiteral("_shares"),
                  {"修学旅行", "町", "県", "税額", "2,900", "2,000", "900", "60"});
}

} // namespace

// The printed statement: one A4 landscape page with the inn's name, each
// tier's range over its amount, every border once and nothing over anything.
TEST(LodgingStatement, ThePrintoutCarriesTheTiersAndTheSums)
{
    TBaseData inn = reportSettings();
    setFieldText(inn.SisetuName, QStringLiteral("湯けむりの宿"));
    // In a month whose tiers change, each names its period over its range over its amount.
    checkPrintout(lodgingTaxMonth(marchOfTheChange(), ReportMonth(2026, 3)), QStringLiteral("2026年03月分"), inn,
                  QString(),
                  {"2026年03月分宿泊税納入明細", "2018/10/01から", "〜19,999円", "200円", "2026/03/15から",
                   "50,000〜99,999円", "4,000円", "免除", "人泊", "湯けむりの宿", "14,000", "1 / 1"});
}
