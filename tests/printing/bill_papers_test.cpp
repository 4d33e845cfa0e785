// The A4, B5 and combined A4 documents as page models, and what every bill
// document of every paper promises a guest: no text over another, each
// ruled border drawn once, sixteen ruled rows on a page.

#include "gui_test_env.h"
#include "bill_document_kinds.h"
#include "page_checks.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "printing/print_form.h"
#include "storage/clock.h"

#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace page_checks;
using printing::PageModel;
using printing::TextItem;

namespace {

class BillPapersTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30))); }
    void TearDown() override { Clock::setFixed(QDateTime()); }

    static TDocumentRun run(const TBillState &bill, BillPaper paper, int kind, const TBaseData &base = sample::facility(),
                            const QString &exePath = QString())
    {
        TDocumentRun r = makeBillDocument(bill, base, exePath, paper, kind);
        EXPECT_TRUE(r.ok()) << r.error.toStdString();
        return r;
    }
    static QString text(const PageModel &m, int page, const QString &name)
    {
        const TextItem *t = m.text(page, name);
        return t ? t->text : QStringLiteral("<missing>");
    }
};

TReserveData described(int i)
{
    return sample::line("2007/08/09", 1601102, QStringLiteral("品目%1").arg(i), 100, 1);
}

TBillState billWithLines(int described_, uint8_t lang = 0)
{
    TBillState b = sample::bill(lang);
    b.Lines.clear();
    for (int i = 0; i < described_; ++i)
        b.Lines.push_back(described(i + 1));
    sample::padTo(b, 1);
    return b;
}

QStringList amountNames()
{
    QStringList names{QStringLiteral("Total")};
    for (int row = 0; row < BillRows; ++row)
        names << QStringLiteral("GNum%1").arg(row);
    return names;
}

TEST_F(BillPapersTest, A4AmountsStayAtFourteenPointWhateverFontKubun)
{
    for (const uint8_t fontKubun : {uint8_t(0), uint8_t(1)}) {
        SCOPED_TRACE(int(fontKubun));
        TBaseData base = sample::facility();
        base.FontKubun = fontKubun;
        const PageModel m = run(sample::bill(), BillPaper::A4, KindReceipt, base).model;
        EXPECT_EQ(m.setup.size, QPageSize::A4);
        EXPECT_EQ(m.setup.orientation, QPageLayout::Portrait);
        for (const QString &name : amountNames()) {
            SCOPED_TRACE(name.toStdString());
            const TextItem *t = m.text(0, name);
            ASSERT_TRUE(t);
            EXPECT_EQ(t->font.pointSize, 14);
        }
        EXPECT_EQ(m.text(0, QStringLiteral("Tanka"))->font.pointSize, 14);
    }
    // Positions from the A4 table: band from the left margin (12) and the top (15).
    const PageModel m = run(sample::bill(), BillPaper::A4, KindReceipt).model;
    const qreal left = 12, top = 15, footer = 297 - 15 - 63.5;
    EXPECT_NEAR(m.text(0, QStringLiteral("Date"))->rect.left(), left + 46.6, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("Date"))->rect.top(), top + 3.2, 1e-6);
    EXPECT_EQ(m.text(0, QStringLiteral("Midashi"))->font.pointSize, 27);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel16"))->rect.right(), left + 63.8, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel17"))->rect.left(), left + 66.1, 1e-6);
    EXPECT_EQ(m.text(0, QStringLiteral("QRLabel17"))->font.family, QStringLiteral("IPAPGothic"));
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel7"))->rect.right(), left + 71.4, 1e-6);
    EXPECT_NEAR(m.texts(0, QStringLiteral("Tekiyou"))[0]->rect.top(), top + 59.0 + 16.4 + 1.1, 1e-6);
    EXPECT_NEAR(m.texts(0, QStringLiteral("Tekiyou"))[0]->rect.left(), left + 15.9, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("GLabel3"))->rect.left(), left + 42.3, 1e-6);
    EXPECT_NEAR(m.rect(0, QStringLiteral("Shape20"))->rect.top(), footer + 23.8, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("PageNo"))->rect.right(), 199.5, 1e-6);
    EXPECT_NEAR(m.line(0, QStringLiteral("TopMark"))->from.x(), 74.5, 1e-6);
    EXPECT_NE(m.rect(0, QStringLiteral("QRShape26")), nullptr) << "the stamp box of a receipt";
    EXPECT_NEAR(m.rect(0, QStringLiteral("QRShape26"))->rect.top(), footer + 20.1, 1e-6);
    EXPECT_EQ(text(m, 0, QStringLiteral("QRMemo1")), QStringLiteral("下記金額を領収いたしました\nまたのお越しを心よりお待ち申し上げます"));

    // The A4 document knows no estimate.
    const TDocumentRun estimate = makeBillDocument(sample::bill(), sample::facility(), QString(), BillPaper::A4,
                                                   KindEstimate);
    EXPECT_FALSE(estimate.ok());
}

TEST_F(BillPapersTest, B5AmountsFollowFontKubunWhileTheOtherDetailTextIsTwelvePoint)
{
    struct Case {
        uint8_t fontKubun;
        qreal size, raise;
    };
    const Case cases[] = {{0, 9, 0}, {1, 11, 0.5}};
    const qreal footer = 257 - 15 - 53.2;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.fontKubun));
        TBaseData base = sample::facility();
        base.FontKubun = c.fontKubun;
        const PageModel m = run(sample::bill(), BillPaper::B5, KindBill, base).model;
        EXPECT_EQ(m.setup.size, QPageSize::JisB5);
        EXPECT_NEAR(m.setup.paperMm().width(), 182, 0.01);
        for (const QString &name : amountNames())
            EXPECT_EQ(m.text(0, name)->font.pointSize, c.size) << name.toStdString();
        EXPECT_EQ(m.text(0, QStringLiteral("Tanka"))->font.pointSize, 12);
        EXPECT_EQ(m.texts(0, QStringLiteral("Tekiyou"))[0]->font.pointSize, 12);
        EXPECT_NEAR(m.text(0, QStringLiteral("GNum2"))->rect.top(), footer + 13.2 + 0.8 - c.raise, 1e-6);
        EXPECT_NEAR(m.text(0, QStringLiteral("GNum2"))->rect.right(), 12 + 161.2, 1e-6);
    }
    const PageModel m = run(sample::bill(), BillPaper::B5, KindBill).model;
    EXPECT_NEAR(m.line(0, QStringLiteral("TopMark"))->from.x(), 91.3, 1e-6) << "the middle of the B5 sheet";
    EXPECT_NEAR(m.line(0, QStringLiteral("TopMark"))->from.y(), 5.6, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("GLabel7"))->rect.left(), 12 + 47.4, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("GLabel6"))->rect.left(), 12 + 48.2, 1e-6);
    // The estimate exists on B5.
    EXPECT_EQ(text(run(sample::bill(), BillPaper::B5, KindEstimate).model, 0, QStringLiteral("Midashi")),
              QStringLiteral("お見積書"));
}

TEST_F(BillPapersTest, SixteenLinesFillOnePageOfEveryPaper)
{
    for (const BillPaper paper : {BillPaper::A5, BillPaper::A4, BillPaper::B5, BillPaper::Combined}) {
        SCOPED_TRACE(int(paper));
        const PageModel m = run(billWithLines(16), paper, KindBill).model;
        ASSERT_EQ(m.pages.size(), 1);
        const QList<const TextItem *> rows = m.texts(0, QStringLiteral("Tekiyou"));
        ASSERT_EQ(rows.size(), 16);
        EXPECT_EQ(rows.last()->text, QStringLiteral("品目16"));
        EXPECT_EQ(text(m, 0, QStringLiteral("PageNo")), QStringLiteral("1/ 1"));
    }
}

TEST_F(BillPapersTest, B5RoomLabelKeepsItsPlaceWhateverThePlan)
{
    TBillState b = sample::bill();
    b.PlanEdit = QStringLiteral("秋の味覚満喫会席料理と貸切露天風呂付き特別宿泊プラン朝夕食付");
    const PageModel m = run(b, BillPaper::B5, KindBill).model;
    const TextItem *room = m.text(0, QStringLiteral("QRLabel3"));
    ASSERT_TRUE(room);
    EXPECT_EQ(room->text, QStringLiteral("部屋：松の間"));
    EXPECT_NEAR(room->rect.left(), 12 + 100.0, 1e-6);
    EXPECT_NEAR(room->rect.top(), 15 + 44.5 + 0.5, 1e-6);
    EXPECT_EQ(room->font.pointSize, 16);
    EXPECT_EQ(m.line(0, QStringLiteral("QRShape1")), nullptr) << "no underline on B5";
    // The plan stays on its line, left of the stay line.
    const TextItem *plan = m.text(0, QStringLiteral("QRLabel20"));
    const TextItem *stay = m.text(0, QStringLiteral("QRLabel19"));
    EXPECT_NEAR(plan->rect.left(), 12 + 0.3, 1e-6);
    printing::TextMeasure measure;
    EXPECT_LT(plan->rect.left() + measure.width(plan->font, plan->text),
              stay->rect.right() - measure.width(stay->font, stay->text));

    // On A4 the room follows the plan, underlined with it.
    const PageModel a4 = run(sample::bill(), BillPaper::A4, KindBill).model;
    const TextItem *plan4 = a4.text(0, QStringLiteral("QRLabel20"));
    EXPECT_NEAR(a4.text(0, QStringLiteral("QRLabel3"))->rect.left(), plan4->rect.right() + 0.5, 1e-6);
    EXPECT_NE(a4.line(0, QStringLiteral("QRShape1")), nullptr);
}

TEST_F(BillPapersTest, CombinedSheetInEnglish)
{
    const PageModel m = run(sample::bill(1), BillPaper::Combined, KindReceipt).model;
    EXPECT_EQ(m.setup.size, QPageSize::A4);
    EXPECT_EQ(m.setup.orientation, QPageLayout::Landscape);
    EXPECT_EQ(text(m, 0, QStringLiteral("Midashi")), QStringLiteral("Bill")) << "the kind asked for does not matter";
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel15")), QStringLiteral("Bill"));
    // The inn's Japanese message gives way to English words a guest reads.
    EXPECT_EQ(text(m, 0, QStringLiteral("QRMemo1")), QStringLiteral("Please pay the amount below."));
    EXPECT_EQ(m.rect(0, QStringLiteral("QRShape26")), nullptr) << "no stamp box on the bill half";
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel3")), QStringLiteral("Receipt"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel10")), QStringLiteral("Receipt"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel11")), QStringLiteral("JPY 52,600"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel26")), QString()) << "no tax breakdown in English";
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel7")), QStringLiteral("Mr. John Smith"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel9")), QStringLiteral("10 Aug 2007"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel30")), QStringLiteral("(of which JPY 5,000 paid by VISA)"))
        << "the payment line whenever a card kind is set";
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel25")), QStringLiteral("Room: Matsu"));
    // Receipt half on the paper, bill half at the A5 places.
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel3"))->rect.left(), 203.5, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel11"))->rect.right(), 242.4, 1e-6);
    EXPECT_NEAR(m.line(0, QStringLiteral("QRShape2"))->from.x(), 148.7, 1e-6);
    EXPECT_EQ(m.line(0, QStringLiteral("QRShape2"))->pen.style, printing::PenStyle::Dash);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel17"))->rect.left(), 12 + 23.3, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel16"))->rect.top(), 15 + 32.8, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("GNum5"))->rect.right(), 12 + 125.4, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("PageNo"))->rect.right(), 137.8, 1e-6);
    EXPECT_NEAR(m.line(0, QStringLiteral("TopMark"))->from.x(), 74.0, 1e-6);
    EXPECT_EQ(m.rect(0, QStringLiteral("QRShape5"))->pen->color, QColor(Qt::black));
    EXPECT_EQ(m.rect(0, QStringLiteral("QRShape7"))->pen->style, printing::PenStyle::Dot);

    // An empty settlement date is filled, and the bill is receipted (in English).
    TBillState b = sample::bill(1);
    b.SeisanDay.clear();
    const TDocumentRun r = run(b, BillPaper::Combined, KindBill);
    applyDocumentRun(b, r);
    EXPECT_EQ(b.DecideEdit, QStringLiteral("2"));
    EXPECT_EQ(b.SeisanDay, QStringLiteral("2007/08/10"));
}

TEST_F(BillPapersTest, ProvisoPrintsOnlyWhenTicked)
{
    TBaseData base = sample::facility();
    setFieldText(base.Tadashi, QStringLiteral("ご宿泊代として"));
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        TBillState b = sample::bill();
        b.TadashiCheck = ticked;
        const PageModel m = run(b, BillPaper::Combined, KindBill, base).model;
        EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel29")), QStringLiteral("但"));
        EXPECT_EQ(text(m, 0, QStringLiteral("TadashiLabel")), ticked ? QStringLiteral("ご宿泊代として") : QString());
        const printing::LineItem *rule = m.line(0, QStringLiteral("QRShape8"));
        ASSERT_TRUE(rule);
        EXPECT_NEAR(rule->from.y(), 116.4, 1e-6);
        EXPECT_NEAR(rule->to.x() - rule->from.x(), 106.4, 1e-6);
    }
}

TEST_F(BillPapersTest, LogoOnBothHalvesInsteadOfTheFacilityName)
{
    QTemporaryDir dir;
    const QString exePath = dir.path() + QLatin1Char('/');
    QImage logo(232, 100, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(exePath + QStringLiteral("logo.bmp"), "BMP"));
    const PageModel m = run(sample::bill(), BillPaper::Combined, KindBill, sample::facility(), exePath).model;
    ASSERT_NE(m.image(0, QStringLiteral("LogoImage")), nullptr);
    ASSERT_NE(m.image(0, QStringLiteral("QRImage1")), nullptr);
    EXPECT_NEAR(m.image(0, QStringLiteral("LogoImage"))->rect.left(), 12 + 66.7, 1e-6);
    EXPECT_NEAR(m.image(0, QStringLiteral("QRImage1"))->rect.left(), 214.8, 1e-6);
    EXPECT_NEAR(m.image(0, QStringLiteral("QRImage1"))->rect.top(), 124.9, 1e-6);
    EXPECT_EQ(text(m, 0, QStringLiteral("Sisetumei")), QString());
    EXPECT_EQ(text(m, 0, QStringLiteral("Sisetumei2")), QString());

    const PageModel plain = run(sample::bill(), BillPaper::Combined, KindBill).model;
    EXPECT_EQ(text(plain, 0, QStringLiteral("Sisetumei2")), QStringLiteral("湯けむりの宿\n山水館"));
    EXPECT_EQ(plain.image(0, QStringLiteral("QRImage1")), nullptr);
}

TEST_F(BillPapersTest, TwentyLinesGiveTwoSheetsWithTheReceiptOnBoth)
{
    TBillState b = billWithLines(20);
    sample::padTo(b, 2);
    const PageModel m = run(b, BillPaper::Combined, KindBill).model;
    ASSERT_EQ(m.pages.size(), 2);
    for (int p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(text(m, p, QStringLiteral("QRLabel3")), QStringLiteral("領収書"));
        EXPECT_EQ(text(m, p, QStringLiteral("QRLabel11")), QStringLiteral("\u00A552,600-"));
        EXPECT_EQ(text(m, p, QStringLiteral("QRLabel29")), QStringLiteral("但"));
        EXPECT_EQ(text(m, p, QStringLiteral("Sisetumei2")), QStringLiteral("湯けむりの宿\n山水館"));
        EXPECT_NE(m.line(p, QStringLiteral("QRShape2")), nullptr);
        EXPECT_EQ(text(m, p, QStringLiteral("PageNo")), QStringLiteral("%1/ 2").arg(p + 1));
    }
    EXPECT_EQ(m.texts(1, QStringLiteral("Tekiyou"))[3]->text, QStringLiteral("品目20"));
}

// The breakdown as printed, on one line or two.
QString taxLine(const PageModel &m)
{
    const TextItem *t = m.text(0, QStringLiteral("QRLabel26"));
    return t ? QString(t->text).remove(QLatin1Char('\n')).remove(QLatin1Char(' ')) : QStringLiteral("<missing>");
}

QString unspaced(QString s)
{
    return s.remove(QLatin1Char(' '));
}

TEST_F(BillPapersTest, JapaneseTaxBreakdownForTaxIncludedAndAdded)
{
    // Included: the labels' own "(内 " and ")" are dropped, byte by byte;
    // amounts grouped and apart from the rate ("消費税8% 3,703円").
    TBillState in = sample::bill();
    ASSERT_EQ(in.GEdit[RowTax], QStringLiteral("(内 消費税8%)"));
    // The included bathing tax is named in the charge row, apart from the added advance.
    ASSERT_EQ(in.GEdit[RowAdvance], QStringLiteral("立替金"));
    ASSERT_EQ(in.GEdit[RowCharge], QStringLiteral("料金計(内 入湯税600円)"));
    ASSERT_EQ(in.SaNumEdit[RowTax], QStringLiteral("3703"));
    const PageModel inModel = run(in, BillPaper::Combined, KindBill).model;
    EXPECT_EQ(taxLine(inModel), unspaced(QStringLiteral("(内 消費税8% 3,703円 立替金=2,000円 )")));
    EXPECT_TRUE(QString(inModel.text(0, QStringLiteral("QRLabel26"))->text).replace(QLatin1Char('\n'), QLatin1Char(' '))
                    .startsWith(QStringLiteral("(内 消費税8% 3,703円 ")));

    // Added: the labels whole.
    TBaseData added = sample::facility();
    added.TaxKubun = 1;
    added.Nyutou_Kubun = 1;
    TBillState ex = sample::bill();
    CalcTotals(ex, added);
    ASSERT_GE(ex.SaNumEdit[RowTax].toInt(), 1000) << "a grouped amount shows a comma";
    const QLocale c(QLocale::English);
    EXPECT_EQ(taxLine(run(ex, BillPaper::Combined, KindBill, added).model),
              unspaced(QStringLiteral("(内 ") + ex.GEdit[RowTax] + c.toString(ex.SaNumEdit[RowTax].toLongLong())
                       + QStringLiteral("円") + ex.GEdit[RowAdvance] + QStringLiteral("=")
                       + c.toString(ex.SaNumEdit[RowAdvance].toLongLong()) + QStringLiteral("円)")));

    // Without advances or bathing tax only the tax is listed, on one line.
    TBillState none = sample::bill();
    none.SaNumEdit[RowAdvance].clear();
    EXPECT_EQ(text(run(none, BillPaper::Combined, KindBill).model, 0, QStringLiteral("QRLabel26")),
              QStringLiteral("(内 消費税8% 3,703円 )"));
}

TEST_F(BillPapersTest, EdgeBillNoTextOverAnotherOnAnyDocument)
{
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
        for (const Document &d : kDocuments) {
            SCOPED_TRACE(std::string(d.name) + (lang ? " en" : " ja"));
            const PageModel m = run(sample::edgeBill(lang), d.paper, d.kind, sample::edgeFacility()).model;
            for (int p = 0; p < m.pages.size(); ++p) {
                const QList<Span> boxes = inkBoxes(m, p);
                for (const QString &o : overlappingTexts(boxes))
                    ADD_FAILURE() << "page " << p << ": " << o.toStdString();
            }
        }
    }
}

// Every receipt after the first, on any paper, the combined sheet included,
// is marked with the day of the reissue, framed apart from the document's
// own date; the title keeps its size.
TEST_F(BillPapersTest, EveryReceiptAfterTheFirstIsMarkedWithTheReissueDate)
{
    struct Case {
        const char *name;
        int kind;
        const char *status; // the bill's receipt status before the print
        int issued;         // receipts of the bill in the record
        bool marked;        // on A5, A4 and B5
        bool combinedMarked; // on the combined sheet, whatever the kind asked
    } cases[] = {
        {"receipt issued once before", KindReceipt, "1", 1, true, true},
        {"receipt issued twice before, in English", KindReceipt, "2", 2, true, true},
        {"receipted before the record was kept", KindReceipt, "1", 0, true, true},
        {"first receipt", KindReceipt, "0", 0, false, false},
        {"first receipt, status never set", KindReceipt, "", 0, false, false},
        {"bill of a receipted bill", KindBill, "1", 1, false, true},
        {"bill never receipted", KindBill, "0", 0, false, false},
        {"estimate", KindEstimate, "1", 1, false, true},
    };
    const QDate today(2026, 12, 11);
    for (const Case &c : cases) {
        for (const BillPaper paper : {BillPaper::A5, BillPaper::A4, BillPaper::B5, BillPaper::Combined}) {
            if (c.kind == KindEstimate && paper == BillPaper::A4)
                continue;
            for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
                SCOPED_TRACE(std::string(c.name) + " paper " + std::to_string(int(paper)) + (lang ? " en" : " ja"));
                TBillState bill = sample::bill(lang);
                bill.DecideEdit = QString::fromLatin1(c.status);
                const bool receipt = issuesReceipt(paper, c.kind);
                const bool reissue = receipt && receiptIsReissue(bill, c.issued);
                const TDocumentRun r = makeBillDocument(bill, sample::facility(), QString(), paper, c.kind,
                                                        reissue ? today : QDate());
                ASSERT_TRUE(r.ok());
                const bool marked = paper == BillPaper::Combined ? c.combinedMarked : c.marked;
                const QString mark = lang ? QStringLiteral("REISSUED 11 Dec 2026") : QStringLiteral("再発行 2026年12月11日");
                EXPECT_EQ(text(r.model, 0, QStringLiteral("Reissue")), marked ? mark : QStringLiteral("<missing>"));
                if (paper != BillPaper::Combined) {
                    // The title at its own size, whole.
                    const TextItem *title = r.model.text(0, QStringLiteral("Midashi"));
                    ASSERT_TRUE(title);
                    const qreal pt = paper == BillPaper::A4 ? BillLayout::a4().midashi.pt
                                   : paper == BillPaper::B5 ? BillLayout::b5().midashi.pt
                                                            : BillLayout::a5().midashi.pt;
                    EXPECT_EQ(title->font.pointSize, pt);
                    EXPECT_FALSE(title->text.contains(QChar(0x2026))) << title->text.toStdString();
                }
            }
        }
    }
}

TEST_F(BillPapersTest, ReissuedReceiptOfTheLongestBillHasNoTextOverAnother)
{
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
        for (const BillPaper paper : {BillPaper::A5, BillPaper::A4, BillPaper::B5}) {
            SCOPED_TRACE(std::to_string(int(paper)) + (lang ? " en" : " ja"));
            const TDocumentRun r =
                makeBillDocument(sample::edgeBill(lang), sample::edgeFacility(), QString(), paper, KindReceipt,
                                 QDate(2026, 12, 11));
            ASSERT_TRUE(r.ok());
            const QList<Span> boxes = inkBoxes(r.model, 0);
            for (const QString &o : overlappingTexts(boxes))
                ADD_FAILURE() << o.toStdString();
        }
    }
}

TEST_F(BillPapersTest, EveryBorderIsDrawnOnceAndNoRuleDoublesAnother)
{
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
        for (const Document &d : kDocuments) {
            SCOPED_TRACE(std::string(d.name) + (lang ? " en" : " ja"));
            const PageModel m = run(sample::edgeBill(lang), d.paper, d.kind, sample::edgeFacility()).model;
            for (const QString &close : closeRules(m, 0, 0.85))
                ADD_FAILURE() << close.toStdString();
        }
    }
}

// The crowded edge bill (the longest plan and room, the town's tax in row
// 4, the proviso) on every paper and language: the plan and room stop well
// short of the stay date, their underline stands apart from the table's top,
// and the labels that wrap (the totals, the proviso, the tax breakdown)
// break between words, never inside a bracketed group.
TEST_F(BillPapersTest, CrowdedEdgeBillKeepsPlanStayAndWordsApart)
{
    printing::TextMeasure measure;
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
        for (const Document &d : kDocuments) {
            SCOPED_TRACE(std::string(d.name) + (lang ? " en" : " ja"));
            const PageModel m = run(sample::lodgingBill(lang, true), d.paper, d.kind, sample::edgeFacility()).model;
            const TextItem *stay = m.text(0, QStringLiteral("QRLabel19"));
            ASSERT_TRUE(stay);
            const qreal stayLeft = stay->rect.right() - measure.width(stay->font, stay->text);
            for (const char *name : {"QRLabel20", "QRLabel3", "QRLabel25"}) {
                const TextItem *t = m.text(0, QLatin1String(name));
                if (!t || t->text.isEmpty() || std::abs(t->rect.top() - stay->rect.top()) > 3.0)
                    continue;
                EXPECT_LE(t->rect.left() + measure.width(t->font, t->text), stayLeft - 2.9) << name;
            }
            if (const printing::LineItem *under = m.line(0, QStringLiteral("QRShape1"))) {
                const printing::RectItem *top = m.rect(0, QStringLiteral("Shape4"));
                ASSERT_TRUE(top);
                EXPECT_GE(top->rect.top() - under->from.y(), 1.5) << "apart from the table's top";
            }
            for (const printing::PageItem &item : m.pages[0].items) {
                const TextItem *t = std::get_if<TextItem>(&item);
                if (!t || !(t->name.startsWith(QStringLiteral("GLabel")) || t->name == QLatin1String("TadashiLabel")
                            || t->name == QLatin1String("QRLabel26")))
                    continue;
                // No break inside a short bracketed group such as "(4名泊×400円)".
                QList<qsizetype> open;
                for (qsizetype i = 0; i < t->text.size(); ++i) {
                    const QChar c = t->text[i];
                    if (c == QLatin1Char('('))
                        open << i;
                    else if (c == QLatin1Char(')') && !open.isEmpty()) {
                        const qsizetype from = open.takeLast();
                        if (i - from <= 16)
                            EXPECT_FALSE(t->text.mid(from, i - from).contains(QLatin1Char('\n')))
                                << t->name.toStdString() << ": " << t->text.toStdString();
                    }
                }
                if (t->name == QLatin1String("TadashiLabel") && t->text.contains(QLatin1Char('\n'))) {
                    EXPECT_EQ(t->text, QStringLiteral("ご宿泊代金及び\nご飲食代として"));
                }
                if (t->name.startsWith(QStringLiteral("GLabel")) && d.paper == BillPaper::A4) {
                    EXPECT_GE(t->font.pointSize, 7) << t->name.toStdString();
                }
            }
        }
    }
}

TEST_F(BillPapersTest, WrappedDescriptionsKeepSixteenRuledRowsAndNoGapAboveTheTotals)
{
    for (const Document &d : kDocuments) {
        if (d.kind != KindBill)
            continue;
        SCOPED_TRACE(d.name);
        const PageModel m = run(sample::edgeBill(), d.paper, d.kind, sample::edgeFacility()).model;
        ASSERT_EQ(m.pages.size(), 1);
        // The ruled rows: a row of height h counts h / row height rows.
        const BillLayout layout = d.paper == BillPaper::A4   ? BillLayout::a4()
                                  : d.paper == BillPaper::B5 ? BillLayout::b5()
                                  : d.paper == BillPaper::A5 ? BillLayout::a5()
                                                             : BillLayout::combinedA4();
        qreal ruled = 0, lowest = 0;
        for (const printing::PageItem &item : m.pages[0].items)
            if (const printing::RectItem *r = std::get_if<printing::RectItem>(&item);
                r && r->name == QStringLiteral("Shape9")) {
                ruled += r->rect.height();
                lowest = std::max(lowest, r->rect.bottom());
            }
        EXPECT_NEAR(ruled / layout.rowHeight, 16, 1e-6);
        const qreal footerTop = m.setup.paperMm().height() - 15 - layout.footerHeight;
        EXPECT_LE(footerTop - lowest, layout.rowHeight) << "no gap a row would fill";
        // The first described texts wrapped, in rows of whole row heights.
        const QList<const TextItem *> rows = m.texts(0, QStringLiteral("Tekiyou"));
        EXPECT_TRUE(rows[1]->wrap);
        EXPECT_LT(rows.size(), 16);
    }
}

} // namespace

namespace {

// Where an item lies on the page; a text by its glyphs.
QRectF itemBox(const printing::PageItem &item, const QList<Span> &ink)
{
    if (const auto *t = std::get_if<TextItem>(&item)) {
        for (const Span &s : ink)
            if (s.name == t->name)
                return s.box;
        return QRectF();
    }
    if (const auto *r = std::get_if<printing::RectItem>(&item))
        return r->rect;
    if (const auto *l = std::get_if<printing::LineItem>(&item))
        return QRectF(l->from, l->to).normalized();
    return std::get<printing::ImageItem>(item).rect;
}

QString itemName(const printing::PageItem &item)
{
    return std::visit([](const auto &i) { return i.name; }, item);
}

} // namespace

TEST_F(BillPapersTest, CashReceiptOfFiftyThousandYenFramesItsStampWhereNothingElseStands)
{
    const struct {
        const char *name;
        BillPaper paper;
        int kind;
        const char *frame, *caption, *dotted;
    } docs[] = {
        {"A5 receipt", BillPaper::A5, KindReceipt, "Stamp", "StampCaption", "QRShape26"},
        {"A4 receipt", BillPaper::A4, KindReceipt, "Stamp", "StampCaption", "QRShape26"},
        {"B5 receipt", BillPaper::B5, KindReceipt, "Stamp", "StampCaption", "QRShape26"},
        {"combined sheet's receipt", BillPaper::Combined, KindBill, "Stamp2", "StampCaption2", "QRShape7"},
    };
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
        for (const auto &d : docs) {
            SCOPED_TRACE(std::string(d.name) + (lang ? " en" : " ja"));
            // Everything at its longest (the proviso above the stamp's place), paid in cash.
            TBillState cash = sample::edgeBill(lang);
            cash.SiharaiCombo.EditText.clear();
            cash.SaNumEdit[8].clear();
            const TDocumentRun r = run(cash, d.paper, d.kind, sample::edgeFacility());
            ASSERT_TRUE(r.stamp.needed());
            EXPECT_EQ(r.stamp.value, 200);
            const PageModel &m = r.model;
            const printing::RectItem *frame = m.rect(0, QLatin1String(d.frame));
            ASSERT_TRUE(frame);
            EXPECT_FALSE(m.rect(0, QLatin1String(d.dotted))) << "the dotted box gives way to the frame";
            EXPECT_EQ(text(m, 0, QLatin1String(d.caption)), QStringLiteral("収入印紙"));

            // On the receipt: within the margins, on the combined sheet right of the dividing line.
            const QSizeF paper = m.setup.paperMm();
            QRectF receipt(m.setup.leftMm, m.setup.topMm, paper.width() - m.setup.leftMm - m.setup.rightMm,
                           paper.height() - m.setup.topMm - m.setup.bottomMm);
            if (const printing::LineItem *divider = m.line(0, QStringLiteral("QRShape2")))
                receipt.setLeft(divider->from.x());
            EXPECT_TRUE(receipt.contains(frame->rect));

            const QList<Span> ink = inkBoxes(m, 0);
            for (const Span &s : ink) {
                if (s.name == QLatin1String(d.caption)) {
                    EXPECT_TRUE(frame->rect.contains(s.box));
                }
            }
            // Nothing else on it or in it, nor a rule running along it.
            const QRectF near = frame->rect.adjusted(-0.5, -0.5, 0.5, 0.5);
            for (const printing::PageItem &item : m.pages[0].items) {
                const QString name = itemName(item);
                if (name == QLatin1String(d.frame) || name == QLatin1String(d.caption))
                    continue;
                const QRectF box = itemBox(item, ink);
                if (box.isNull())
                    continue;
                const QRectF overlap = near.intersected(box.adjusted(-0.01, -0.01, 0.01, 0.01));
                EXPECT_TRUE(overlap.isEmpty()) << name.toStdString();
            }
        }
    }
}

TEST_F(BillPapersTest, OnlyACashReceiptOfFiftyThousandYenHasTheStampFrame)
{
    TBillState cash = sample::edgeBill();
    cash.SiharaiCombo.EditText.clear();
    cash.SaNumEdit[8].clear();
    TBillState card = sample::edgeBill();
    card.SaNumEdit[8] = card.SaNumEdit[RowBalance];
    TBillState small = cash;
    small.SaNumEdit[RowBalance] = QStringLiteral("49999");
    small.SaNumEdit[RowTax].clear();
    const struct {
        const char *name;
        const TBillState &bill;
        BillPaper paper;
        int kind;
        bool framed;
    } cases[] = {
        {"cash receipt", cash, BillPaper::A5, KindReceipt, true},
        {"cash, combined sheet", cash, BillPaper::Combined, KindBill, true},
        {"bill", cash, BillPaper::A5, KindBill, false},
        {"estimate", cash, BillPaper::B5, KindEstimate, false},
        {"paid by card", card, BillPaper::A5, KindReceipt, false},
        {"paid by card, combined sheet", card, BillPaper::Combined, KindBill, false},
        {"under 50,000 yen", small, BillPaper::A4, KindReceipt, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TDocumentRun r = run(c.bill, c.paper, c.kind, sample::edgeFacility());
        EXPECT_EQ(r.stamp.needed(), c.framed);
        const bool combined = c.paper == BillPaper::Combined;
        EXPECT_EQ(r.model.rect(0, combined ? QStringLiteral("Stamp2") : QStringLiteral("Stamp")) != nullptr, c.framed);
        // Without the frame the dotted box stays where receipts have it.
        if (!c.framed && c.kind != KindBill) {
            EXPECT_TRUE(r.model.rect(0, QStringLiteral("QRShape26")));
        }
        if (!c.framed && combined) {
            EXPECT_TRUE(r.model.rect(0, QStringLiteral("QRShape7")));
        }
    }
}
