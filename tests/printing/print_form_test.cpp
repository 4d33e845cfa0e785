// The A5 bill, receipt and estimate as page models: pages and rows, texts of
// every kind and language, sizes and positions, and what a run changes in
// the bill.

#include "gui_test_env.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "shell/message_box.h"
#include "printing/print_form.h"
#include "storage/clock.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using printing::PageModel;

namespace {

class PrintFormTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30))); }
    void TearDown() override { Clock::setFixed(QDateTime()); }

    TDocumentRun run(const TBillState &bill, int kind, const TBaseData &base = sample::facility(),
                     const QString &exePath = QString())
    {
        TPrintForm form(bill, base, exePath, kind);
        TDocumentRun r = form.Run();
        EXPECT_TRUE(r.ok()) << r.error.toStdString();
        return r;
    }

    static QString text(const PageModel &m, int page, const QString &name)
    {
        const printing::TextItem *t = m.text(page, name);
        return t ? t->text : QStringLiteral("<missing>");
    }
    static QStringList column(const PageModel &m, int page, const QString &name)
    {
        QStringList out;
        for (const printing::TextItem *t : m.texts(page, name))
            out << t->text;
        return out;
    }
};

QList<ShownMessage> &recorded()
{
    static QList<ShownMessage> list;
    return list;
}

TReserveData described(int i)
{
    return sample::line("2007/08/09", 1601102, QStringLiteral("品目%1").arg(i), 100, 1);
}

// Pages of 16 lines: 'd' a described page, 'e' an empty page.
TBillState billWithPages(const char *pages)
{
    TBillState b = sample::bill();
    b.Lines.clear();
    int n = 0;
    for (const char *p = pages; *p; ++p)
        for (int i = 0; i < BillPageLines; ++i)
            b.Lines.push_back(*p == 'd' ? described(++n) : sample::emptyLine());
    return b;
}

TEST_F(PrintFormTest, EmptyTrailingPagesAreDroppedAndEveryDescribedLinePrints)
{
    struct Case {
        const char *name;
        TBillState bill;
        int pages;
        std::size_t kept;
        QStringList pageNumbers;
    };
    TBillState fivePlusEmpty = sample::bill(); // 5 described lines, page 2 empty
    // Lines with an item and an amount but no text are charged: their page
    // stays (it was once dropped, and the receipt's save lost the bill's lines).
    TBillState untitled = billWithPages("de");
    for (int i = 0; i < BillPageLines; ++i)
        untitled.Lines[std::size_t(i)].Kamoku[0] = '\0';
    Case cases[] = {
        {"five lines, empty second page", fivePlusEmpty, 1, 16, {"1/ 1"}},
        {"full first page, empty second", billWithPages("de"), 1, 16, {"1/ 1"}},
        {"two described pages, empty third", billWithPages("dde"), 2, 32, {"1/ 2", "2/ 2"}},
        {"described page after an empty one is kept", billWithPages("ded"), 3, 48, {"1/ 3", "2/ 3", "3/ 3"}},
        {"several empty pages at the end", billWithPages("deee"), 1, 16, {"1/ 1"}},
        {"no empty page", billWithPages("dd"), 2, 32, {"1/ 2", "2/ 2"}},
        {"lines without text, empty second page", untitled, 1, 16, {"1/ 1"}},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = c.bill.Lines.size();
        const TDocumentRun r = run(c.bill, KindBill);
        ASSERT_EQ(r.model.pages.size(), c.pages);
        EXPECT_EQ(r.keptLines, c.kept);
        EXPECT_EQ(c.bill.Lines.size(), before) << "the run itself leaves the bill alone";
        QStringList numbers;
        for (int p = 0; p < c.pages; ++p) {
            numbers << text(r.model, p, QStringLiteral("PageNo"));
            // Every page has 16 rows of five cells.
            EXPECT_EQ(column(r.model, p, QStringLiteral("Tekiyou")).size(), BillPageLines);
        }
        EXPECT_EQ(numbers, c.pageNumbers);
        applyDocumentRun(c.bill, r);
        EXPECT_EQ(c.bill.Lines.size(), c.kept);
    }

    // The last line of a full first page prints, and nothing after it.
    const TDocumentRun full = run(billWithPages("de"), KindBill);
    EXPECT_EQ(column(full.model, 0, QStringLiteral("Tekiyou")).last(), QStringLiteral("品目16"));

    // Lines in list order across pages.
    const TDocumentRun two = run(billWithPages("dde"), KindBill);
    EXPECT_EQ(column(two.model, 1, QStringLiteral("Tekiyou")).first(), QStringLiteral("品目17"));

    // Five lines, then padding rows with empty cells.
    const TDocumentRun five = run(fivePlusEmpty, KindBill);
    const QStringList texts = column(five.model, 0, QStringLiteral("Tekiyou"));
    EXPECT_EQ(texts[4], QStringLiteral("タクシー代(立替金)"));
    EXPECT_TRUE(texts[5].isEmpty());
    EXPECT_EQ(five.model.pages[0].items.size(), full.model.pages[0].items.size());
}

TEST_F(PrintFormTest, BillWithNoDescribedLineKeepsNoLinesAndPrintsHeaderAndTotals)
{
    TBillState b = billWithPages("e");
    const TDocumentRun r = run(b, KindBill);
    ASSERT_EQ(r.model.pages.size(), 1);
    EXPECT_EQ(r.keptLines, 0u);
    EXPECT_TRUE(column(r.model, 0, QStringLiteral("Tekiyou")).isEmpty());
    EXPECT_EQ(text(r.model, 0, QStringLiteral("PageNo")), QStringLiteral("1/ 1"));
    EXPECT_EQ(text(r.model, 0, QStringLiteral("QRLabel2")), QStringLiteral("摘要"));
    EXPECT_NE(r.model.text(0, QStringLiteral("GNum7")), nullptr);
    b.PageNo = 2;
    applyDocumentRun(b, r);
    EXPECT_TRUE(b.Lines.empty());
    EXPECT_EQ(b.PageNo, 1);
}

TEST_F(PrintFormTest, PaymentLineOfReceiptsByLanguage)
{
    struct Case {
        const char *name;
        uint8_t lang;
        int kind;
        QString card;
        QString expected;
    };
    const Case cases[] = {
        {"Japanese receipt", 0, KindReceipt, "VISA", QStringLiteral("(内 VISAにて \u00A55,000- お支払い)")},
        {"English receipt", 1, KindReceipt, "VISA", QStringLiteral("(of which JPY 5,000 paid by VISA)")},
        {"bill", 0, KindBill, "VISA", QString()},
        {"estimate", 1, KindEstimate, "VISA", QString()},
        {"receipt without card kind", 0, KindReceipt, "", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b = sample::bill(c.lang);
        b.SiharaiCombo.EditText = c.card;
        b.SaNumEdit[8] = QStringLiteral("5000");
        const TDocumentRun r = run(b, c.kind);
        EXPECT_EQ(text(r.model, 0, QStringLiteral("QRLabel7")), c.expected);
    }
}

TEST_F(PrintFormTest, TitlesMessagesAndStampBoxByKindAndLanguage)
{
    struct Case {
        const char *name;
        uint8_t lang;
        int kind;
        QString title, caption, message, row7;
        bool stampBox;
    };
    // The last row says what the paper is about: what is billed, what was
    // received, what is estimated. An estimate holds a week from its own date
    // (the settlement date 2007/08/10 here, whatever today is). The inn's
    // Japanese messages give way to English words on an English document.
    const Case cases[] = {
        {"bill ja", 0, KindBill, "請求書", "ご請求金額", "下記金額をご請求申し上げます", "ご請求金額", false},
        {"receipt ja", 0, KindReceipt, "領収書", "領収金額",
         "下記金額を領収いたしました\nまたのお越しを心よりお待ち申し上げます", "領収金額", true},
        {"estimate ja", 0, KindEstimate, "お見積書", "お見積金額", "見積有効期限:2007年08月17日", "お見積金額", true},
        {"bill en", 1, KindBill, "Bill", "Bill", "Please pay the amount below.", "Balance", false},
        {"receipt en", 1, KindReceipt, "Receipt", "Receipt", "Received with thanks the amount below.",
         "Amount received", true},
        {"estimate en", 1, KindEstimate, "Estimate", "Estimate", "Valid until 17 Aug 2007", "Estimated total", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TDocumentRun r = run(sample::bill(c.lang), c.kind);
        EXPECT_EQ(text(r.model, 0, QStringLiteral("Midashi")), c.title);
        EXPECT_EQ(text(r.model, 0, QStringLiteral("QRLabel15")), c.caption);
        EXPECT_EQ(text(r.model, 0, QStringLiteral("QRMemo1")), c.message);
        EXPECT_EQ(text(r.model, 0, QStringLiteral("GLabel7")), c.row7);
        const printing::RectItem *stamp = r.model.rect(0, QStringLiteral("QRShape26"));
        EXPECT_EQ(stamp != nullptr, c.stampBox);
        if (stamp) {
            ASSERT_TRUE(stamp->pen.has_value());
            EXPECT_EQ(stamp->pen->style, printing::PenStyle::Dot);
            EXPECT_EQ(stamp->pen->color, QColor(0xC0, 0xC0, 0xC0));
            EXPECT_FALSE(stamp->fill.has_value());
            // 9.5 mm into the footer band, which ends 15 mm above the foot of the sheet.
            EXPECT_NEAR(stamp->rect.left(), 12 + 9.5, 1e-6);
            EXPECT_NEAR(stamp->rect.top(), 210 - 15 - 42.6 + 9.0, 1e-6);
            EXPECT_NEAR(stamp->rect.width(), 22.0, 1e-6);
            EXPECT_NEAR(stamp->rect.height(), 24.9, 1e-6);
        }
    }
}

TEST_F(PrintFormTest, HeaderTextsAndAmountsInBothLanguages)
{
    const TDocumentRun ja = run(sample::bill(0), KindReceipt);
    const PageModel &m = ja.model;
    EXPECT_EQ(text(m, 0, QStringLiteral("Date")), QStringLiteral("2007年08月10日"));
    EXPECT_EQ(text(m, 0, QStringLiteral("GuestName")), QStringLiteral("山田 太郎 様"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel20")), QStringLiteral("秋の会席プラン"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel3")), QStringLiteral("部屋：松の間"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel19")), QStringLiteral("08月09日(木)から2泊"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel17")), QStringLiteral("\u3000"));
    EXPECT_EQ(text(m, 0, QStringLiteral("Sisetumei")), QStringLiteral("湯けむりの宿\n山水館"));
    EXPECT_EQ(text(m, 0, QStringLiteral("ZipCode")), QStringLiteral("〒419-0101"));
    EXPECT_EQ(text(m, 0, QStringLiteral("TelNo")), QStringLiteral("TEL:055-978-0000"));
    // Header amount and row 7: yen sign before the trimmed number; other rows keep the picture's blanks.
    const TBillState b = sample::bill(0);
    EXPECT_EQ(b.SaNumEdit[RowBalance], QStringLiteral("52600"));
    // A received amount closes with "-".
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel16")), QStringLiteral("\u00A552,600-"));
    EXPECT_EQ(text(m, 0, QStringLiteral("GNum7")), QStringLiteral("\u00A552,600"));
    EXPECT_EQ(text(m, 0, QStringLiteral("GNum2")), QStringLiteral("     50,600"));
    EXPECT_EQ(text(m, 0, QStringLiteral("GNum1")), QString()) << "an empty amount prints nothing";
    EXPECT_EQ(text(m, 0, QStringLiteral("GLabel1")), QString()) << "an unused discount row prints empty";
    EXPECT_EQ(text(m, 0, QStringLiteral("GLabel0")), b.GEdit[RowService]);
    // Detail row: date as month/day, amounts through their pictures.
    EXPECT_EQ(column(m, 0, QStringLiteral("Atdate")).first(), QStringLiteral("08/09"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Tanka")).first(), QStringLiteral("    12,000"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Suryou")).first(), QStringLiteral("      2"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Total")).first(), QStringLiteral("     24,000"));
    EXPECT_EQ(text(m, 0, QStringLiteral("QRLabel1")), QStringLiteral("日付"));

    const TDocumentRun en = run(sample::bill(1), KindBill);
    EXPECT_EQ(text(en.model, 0, QStringLiteral("Date")), QStringLiteral("10 Aug 2007"));
    EXPECT_EQ(text(en.model, 0, QStringLiteral("GuestName")), QStringLiteral("Mr. John Smith"));
    EXPECT_EQ(text(en.model, 0, QStringLiteral("QRLabel3")), QStringLiteral("Room: Matsu"));
    EXPECT_EQ(text(en.model, 0, QStringLiteral("QRLabel19")), QStringLiteral("from 9 Aug  2 nights"));
    EXPECT_EQ(text(en.model, 0, QStringLiteral("QRLabel17")), QStringLiteral("JPY"));
    EXPECT_EQ(text(en.model, 0, QStringLiteral("QRLabel6")), QStringLiteral("Charge"));
    EXPECT_NEAR(en.model.text(0, QStringLiteral("QRLabel17"))->rect.left(), 12 + 20.6, 1e-6);
    EXPECT_NEAR(ja.model.text(0, QStringLiteral("QRLabel17"))->rect.left(), 12 + 57.7, 1e-6);

    // No nights: no stay line. No settlement date: today's date.
    TBillState open = sample::bill(0);
    open.StayEdit = QStringLiteral("0");
    open.SeisanDay.clear();
    const TDocumentRun o = run(open, KindBill);
    EXPECT_EQ(text(o.model, 0, QStringLiteral("QRLabel19")), QString());
    EXPECT_EQ(text(o.model, 0, QStringLiteral("Date")), QStringLiteral("2007年08月10日"));
}

TEST_F(PrintFormTest, PlanAndRoomShareOneUnderline)
{
    TBillState b = sample::bill(0);
    const PageModel withRoom = run(b, KindBill).model;
    const printing::TextItem *plan = withRoom.text(0, QStringLiteral("QRLabel20"));
    const printing::TextItem *room = withRoom.text(0, QStringLiteral("QRLabel3"));
    const printing::LineItem *line = withRoom.line(0, QStringLiteral("QRShape1"));
    ASSERT_TRUE(plan && room && line);
    EXPECT_GT(plan->rect.width(), 5.0);
    EXPECT_NEAR(room->rect.left(), plan->rect.right() + 0.5, 1e-6);
    EXPECT_NEAR(line->to.x() - line->from.x(), plan->rect.width() + room->rect.width() + 0.5, 1e-6);
    EXPECT_NEAR(line->from.y(), 15 + 42.3 + 0.9 + 2.5, 1e-6);

    b.RoomEdit.clear();
    const PageModel noRoom = run(b, KindBill).model;
    EXPECT_NEAR(noRoom.text(0, QStringLiteral("QRLabel3"))->rect.left(), 12 + 85.2, 1e-6);
    EXPECT_EQ(text(noRoom, 0, QStringLiteral("QRLabel3")), QStringLiteral("部屋："));
    const printing::LineItem *under = noRoom.line(0, QStringLiteral("QRShape1"));
    EXPECT_NEAR(under->to.x() - under->from.x(), plan->rect.width() + 0.5, 1e-6);
}

TEST_F(PrintFormTest, ZeroLinePrintsDateAndTextWithEmptyAmountCells)
{
    TBillState b = sample::bill(0);
    b.Lines[1] = sample::line("2007/08/09", 1601102, QStringLiteral("夕食なし"), 0, 0);
    b.Lines[2] = sample::line("2007/08/09", 1601102, QStringLiteral("無料サービス"), 0, 2);
    const PageModel m = run(b, KindBill).model;
    EXPECT_EQ(column(m, 0, QStringLiteral("Atdate"))[1], QStringLiteral("08/09"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Tekiyou"))[1], QStringLiteral("夕食なし"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Tanka"))[1], QString());
    EXPECT_EQ(column(m, 0, QStringLiteral("Suryou"))[1], QString());
    EXPECT_EQ(column(m, 0, QStringLiteral("Total"))[1], QString());
    // Only both amounts at 0 empty the line total.
    EXPECT_EQ(column(m, 0, QStringLiteral("Total"))[2].trimmed(), QStringLiteral("0"));
    EXPECT_EQ(column(m, 0, QStringLiteral("Tanka"))[2], QString());
}

TEST_F(PrintFormTest, FontKubunOneGivesElevenPointAmountsHalfAMillimetreHigher)
{
    TBaseData nine = sample::facility();
    TBaseData eleven = nine;
    eleven.FontKubun = 1;
    const PageModel a = run(sample::bill(), KindBill, nine).model;
    const PageModel b = run(sample::bill(), KindBill, eleven).model;
    QStringList names{QStringLiteral("Total")};
    for (int row = 0; row < BillRows; ++row)
        names << QStringLiteral("GNum%1").arg(row);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const printing::TextItem *small = a.text(0, name);
        const printing::TextItem *large = b.text(0, name);
        ASSERT_TRUE(small && large);
        EXPECT_EQ(small->font.pointSize, 9);
        EXPECT_EQ(large->font.pointSize, 11);
        EXPECT_NEAR(small->rect.top() - large->rect.top(), 0.5, 1e-6);
        EXPECT_NEAR(large->rect.right(), small->rect.right(), 1e-6) << "the right edge stays";
    }
    // Other texts keep their size.
    EXPECT_EQ(b.text(0, QStringLiteral("Tanka"))->font.pointSize, 9);
    EXPECT_EQ(b.text(0, QStringLiteral("GLabel0"))->font.pointSize, 9);
}

TEST_F(PrintFormTest, MarginsAndBindingMarkFollowTojiKubun)
{
    struct Case {
        const char *name;
        uint8_t toji;
        qreal left, right;
        bool topMark, leftMark;
    };
    const Case cases[] = {
        {"top binding", 0, 12, 10, true, false},
        {"left binding", 1, 15, 5, false, true},
        {"other value", 7, 12, 10, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBaseData base = sample::facility();
        base.TojiKubun = c.toji;
        const PageModel m = run(sample::bill(), KindBill, base).model;
        EXPECT_EQ(m.setup.size, QPageSize::A5);
        EXPECT_EQ(m.setup.leftMm, c.left);
        EXPECT_EQ(m.setup.rightMm, c.right);
        EXPECT_EQ(m.setup.topMm, 15);
        EXPECT_EQ(m.setup.bottomMm, 15);
        EXPECT_NEAR(m.text(0, QStringLiteral("Midashi"))->rect.left(), c.left, 1e-6);
        const printing::LineItem *top = m.line(0, QStringLiteral("TopMark"));
        const printing::LineItem *left = m.line(0, QStringLiteral("LeftMark"));
        EXPECT_EQ(top != nullptr, c.topMark);
        EXPECT_EQ(left != nullptr, c.leftMark);
        if (top) {
            EXPECT_NEAR(top->from.x(), 74.5, 1e-6);
            EXPECT_NEAR(top->to.x(), 74.5, 1e-6);
            EXPECT_NEAR(top->from.y(), 5.3, 1e-6);
            EXPECT_NEAR(top->to.y(), 6.6, 1e-6);
            EXPECT_EQ(top->pen.color, QColor(Qt::black));
        }
        if (left) {
            EXPECT_NEAR(left->from.y(), 105.1, 1e-6);
            EXPECT_NEAR(left->to.y(), 105.1, 1e-6);
            EXPECT_NEAR(left->from.x(), 5.8, 1e-6);
            EXPECT_NEAR(left->to.x(), 7.1, 1e-6);
        }
        // The page number stands on the paper whatever the margins.
        const printing::TextItem *no = m.text(0, QStringLiteral("PageNo"));
        EXPECT_NEAR(no->rect.right(), 137.8, 1e-6);
        EXPECT_NEAR(no->rect.top(), 11.9, 1e-6);
    }
}

TEST_F(PrintFormTest, ColoursFacesAndBandPositions)
{
    TBaseData base = sample::facility();
    base.Color1 = 0x0000FF; // red
    base.Color2 = 0x00FF00; // green
    base.Color3 = 0xFF0000; // blue
    base.Color4 = 0x336699;
    setFieldText(base.FontName1, QStringLiteral("ＭＳ 明朝"));
    setFieldText(base.FontName2, QStringLiteral("IPAGothic"));
    setFieldText(base.FontName3, QStringLiteral("存在しない書体"));
    const PageModel m = run(sample::bill(), KindReceipt, base).model;

    EXPECT_EQ(m.rect(0, QStringLiteral("Shape3"))->fill, QColor(Qt::red));
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape3"))->pen->color, QColor(0x99, 0x66, 0x33));
    EXPECT_TRUE(m.rect(0, QStringLiteral("Shape3"))->penInside);
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape4"))->fill, QColor(Qt::green));
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape9"))->pen->color, QColor(0x99, 0x66, 0x33));
    EXPECT_FALSE(m.rect(0, QStringLiteral("Shape9"))->fill.has_value());
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape24"))->fill, QColor(Qt::blue)) << "row 5 label cell";
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape25"))->fill, QColor(Qt::blue)) << "row 5 amount cell";
    EXPECT_EQ(m.rect(0, QStringLiteral("Shape29"))->fill, QColor(Qt::red)) << "row 7 amount cell";
    EXPECT_FALSE(m.rect(0, QStringLiteral("Shape14"))->fill.has_value());
    EXPECT_EQ(m.line(0, QStringLiteral("QRShape1"))->pen.color, QColor(Qt::black));

    EXPECT_EQ(m.text(0, QStringLiteral("Midashi"))->font, (printing::FontSpec{"IPAMincho", 22, true}));
    EXPECT_EQ(m.text(0, QStringLiteral("Tekiyou"))->font, (printing::FontSpec{"IPAGothic", 9, false}));
    EXPECT_EQ(m.text(0, QStringLiteral("GNum0"))->font.family, printing::defaultJapaneseFace());
    EXPECT_EQ(m.text(0, QStringLiteral("Date"))->font, (printing::FontSpec{"IPAMincho", 11, false}));
    EXPECT_EQ(m.text(0, QStringLiteral("PageNo"))->font, (printing::FontSpec{"IPAPMincho", 7, false}));
    EXPECT_EQ(m.text(0, QStringLiteral("ZipCode"))->font, (printing::FontSpec{"IPAPGothic", 8, false}));

    // Bands: header at the top margin, column header and rows below it, footer at the foot.
    const qreal left = 12, top = 15;
    EXPECT_NEAR(m.text(0, QStringLiteral("Date"))->rect.left(), left + 34.4, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("Date"))->rect.top(), top + 4.2, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel16"))->rect.right(), left + 56.6, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel7"))->rect.right(), left + 61.4, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("QRLabel19"))->rect.right(), left + 127.8, 1e-6);
    const QList<const printing::TextItem *> rows = m.texts(0, QStringLiteral("Tekiyou"));
    EXPECT_NEAR(rows[0]->rect.top(), top + 42.3 + 10.3 + 1.1, 1e-6);
    EXPECT_NEAR(rows[15]->rect.top(), top + 42.3 + 10.3 + 15 * 5.3 + 1.1, 1e-6);
    EXPECT_NEAR(rows[0]->rect.left(), left + 10.1, 1e-6);
    EXPECT_NEAR(rows[0]->rect.width(), 64.6, 1e-6);
    // The date is centred in its cell, 0.4 mm clear of either side.
    EXPECT_NEAR(m.text(0, QStringLiteral("Atdate"))->rect.left(), left + 0.4, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("Atdate"))->rect.width(), 9.5 - 0.8, 1e-6);
    EXPECT_TRUE(m.text(0, QStringLiteral("Atdate"))->align & Qt::AlignHCenter);
    const qreal footer = 210 - 15 - 42.6;
    EXPECT_NEAR(m.text(0, QStringLiteral("GLabel7"))->rect.top(), footer + 37.6 + 1.1, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("GLabel7"))->rect.left(), left + 41.8, 1e-6);
    EXPECT_TRUE(m.text(0, QStringLiteral("GLabel7"))->font.bold);
    EXPECT_NEAR(m.text(0, QStringLiteral("GNum7"))->rect.right(), left + 127.2, 1e-6);
    // Label cells end where the amount cells begin, so their border is one line.
    EXPECT_NEAR(m.rect(0, QStringLiteral("Shape28"))->rect.width(), 104.8 - 40.7, 1e-6);
    EXPECT_NEAR(m.rect(0, QStringLiteral("Shape26"))->rect.width(), 104.8 - 40.7, 1e-6);
    EXPECT_NEAR(m.rect(0, QStringLiteral("Shape26"))->rect.top(), footer + 32.3, 1e-6);
}

TEST_F(PrintFormTest, LongDescriptionWrapsAndItsRowGrows)
{
    TBillState b = sample::bill(0);
    const QString longText = QStringLiteral("特別会席料理（地元産の食材を使った季節の料理と、料理長おすすめの一品料理の盛り合わせ）");
    b.Lines[0] = sample::line("2007/08/09", 1601101, longText, 5000, 2);
    const PageModel m = run(b, KindBill).model;
    const QList<const printing::TextItem *> rows = m.texts(0, QStringLiteral("Tekiyou"));
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows[0]->text, longText);
    EXPECT_TRUE(rows[0]->wrap);
    const qreal grown = rows[1]->rect.top() - rows[0]->rect.top();
    EXPECT_GT(grown, 5.3 + 2.0) << "the row is taller than one line";
    // The cell frames grow with the row.
    const printing::RectItem *cell = m.rect(0, QStringLiteral("Shape10"));
    EXPECT_NEAR(cell->rect.height(), grown, 1e-6);
    // The taller row takes the room of padding rows: one page, the last
    // row ending on the footer.
    ASSERT_EQ(m.pages.size(), 1);
    EXPECT_LT(rows.size(), BillPageLines);
    const qreal footerTop = 210 - 15 - 42.6;
    EXPECT_LE(rows.last()->rect.top() - 1.1 + 5.3, footerTop + 1e-6);
    EXPECT_GT(rows.last()->rect.top() - 1.1 + 2 * 5.3, footerTop);

    // A full page with one tall row: the 16th line moves to a second page,
    // which is padded to its foot; no line is lost.
    TBillState full = billWithPages("de");
    full.Lines[3] = sample::line("2007/08/09", 1601101, longText, 5000, 2);
    const PageModel two = run(full, KindBill).model;
    ASSERT_EQ(two.pages.size(), 2);
    const QStringList second = column(two, 1, QStringLiteral("Tekiyou"));
    EXPECT_EQ(second.size(), BillPageLines);
    EXPECT_EQ(column(two, 0, QStringLiteral("Tekiyou")).last(), QStringLiteral("品目%1").arg(16 - second.filter(QStringLiteral("品目")).size()));
    EXPECT_EQ(second.filter(QStringLiteral("品目")).last(), QStringLiteral("品目16"));
    EXPECT_EQ(text(two, 1, QStringLiteral("PageNo")), QStringLiteral("2/ 2"));
}

TEST_F(PrintFormTest, LongLabelsShrinkInsteadOfRunningIntoTheirAmounts)
{
    // The bathing tax collected on top stands beside the advance in row 4.
    TBaseData base = sample::facility();
    base.Nyutou_Kubun = 1;
    TBillState b = sample::bill(1);
    ASSERT_TRUE(CalcTotals(b, base).isEmpty());
    b.NameEdit = QStringLiteral("Maximilian Alexander Fitzgerald-Montgomery III");
    const PageModel m = run(b, KindBill, base).model;
    printing::TextMeasure measure;
    const printing::TextItem *advance = m.text(0, QStringLiteral("GLabel4"));
    ASSERT_TRUE(advance->text.startsWith(QStringLiteral("Advance&BathingTax(")));
    EXPECT_LT(advance->font.pointSize, 9);
    EXPECT_GE(advance->font.pointSize, 7);
    for (const QString &line : advance->text.split(QLatin1Char('\n')))
        EXPECT_LE(measure.width(advance->font, line), advance->rect.width() + 1e-6);
    EXPECT_LT(advance->rect.right(), 12 + 104.8) << "left of the amount cell";
    const printing::TextItem *guest = m.text(0, QStringLiteral("GuestName"));
    EXPECT_LT(guest->font.pointSize, 14);
    for (const QString &line : guest->text.split(QLatin1Char('\n')))
        EXPECT_LE(measure.width(guest->font, line), 63.8 + 1e-6);
    // The other labels keep their size.
    EXPECT_EQ(m.text(0, QStringLiteral("GLabel5"))->font.pointSize, 9);
    EXPECT_EQ(m.text(0, QStringLiteral("GLabel7"))->font.pointSize, 9);
}

TEST_F(PrintFormTest, LogoReplacesTheFacilityNameAndIsCutToItsArea)
{
    QTemporaryDir dir;
    const QString exePath = dir.path() + QLatin1Char('/');
    QImage logo(300, 100, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    ASSERT_TRUE(logo.save(exePath + QStringLiteral("logo.bmp"), "BMP"));
    const PageModel m = run(sample::bill(), KindBill, sample::facility(), exePath).model;
    const printing::ImageItem *img = m.image(0, QStringLiteral("LogoImage"));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->image.width(), 232) << "61.4 mm at 96 dpi";
    EXPECT_EQ(img->image.height(), 100);
    EXPECT_NEAR(img->rect.left(), 12 + 66.1, 1e-6);
    // 100 pixels (26.5 mm) are made a little smaller to stay above the 〒 line.
    EXPECT_NEAR(img->rect.height(), 26.2 - 0.2, 1e-6);
    EXPECT_NEAR(img->rect.width() / img->rect.height(), 232.0 / 100, 1e-6);
    EXPECT_EQ(m.text(0, QStringLiteral("Sisetumei"))->text, QString());
    EXPECT_EQ(m.text(0, QStringLiteral("Jusyo"))->text, QStringLiteral("静岡県田方郡函南町桑原1234-5"));

    // Without a logo: no picture, the facility name instead.
    const PageModel plain = run(sample::bill(), KindBill).model;
    EXPECT_EQ(plain.image(0, QStringLiteral("LogoImage")), nullptr);
}

// An empty "FAX:" only says the inn has none: a field left empty prints nothing.
TEST_F(PrintFormTest, EmptyFacilityFieldsPrintNoCaption)
{
    TBaseData base;
    std::memset(&base, 0, sizeof base);
    const PageModel m = run(sample::bill(), KindBill, base).model;
    for (const char *name : {"ZipCode", "TelNo", "FaxNo", "URL", "EMail"}) {
        const printing::TextItem *t = m.text(0, QLatin1String(name));
        EXPECT_TRUE(!t || t->text.isEmpty()) << name;
    }
    EXPECT_EQ(run(sample::bill(), KindBill).model.text(0, QStringLiteral("FaxNo"))->text,
              QStringLiteral("FAX:055-978-0001"));
}

TEST_F(PrintFormTest, RunChangesTheBillOnlyOnceApplied)
{
    struct Case {
        const char *name;
        uint8_t lang;
        int kind;
        QString seisan;
        QString decideAfter, seisanAfter;
    };
    const Case cases[] = {
        {"Japanese receipt", 0, KindReceipt, "2007/08/09", "1", "2007/08/09"},
        {"English receipt", 1, KindReceipt, "2007/08/09", "2", "2007/08/09"},
        {"bill without settlement date", 0, KindBill, "", "0", "2007/08/10"},
        {"estimate", 1, KindEstimate, "", "0", "2007/08/10"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b = sample::bill(c.lang);
        b.SeisanDay = c.seisan;
        const TDocumentRun r = run(b, c.kind);
        EXPECT_EQ(b.DecideEdit, QStringLiteral("0"));
        EXPECT_EQ(b.SeisanDay, c.seisan);
        applyDocumentRun(b, r);
        EXPECT_EQ(b.DecideEdit, c.decideAfter);
        EXPECT_EQ(b.SeisanDay, c.seisanAfter);
        EXPECT_EQ(b.Lines.size(), 16u);
    }
}

TEST_F(PrintFormTest, FailuresStopTheRunAndLeaveTheBillAlone)
{
    QTemporaryDir dir;
    const QString exePath = dir.path() + QLatin1Char('/');
    struct Case {
        const char *name;
        QString seisan, stay;
        bool badLogo;
        QString message;
    };
    const Case cases[] = {
        {"settlement date not a date", "2007/13/45", "2", false, "清算日は正しい形式で入力してください"},
        {"settlement date text", "きのう", "2", false, "清算日は正しい形式で入力してください"},
        {"nights not a number", "2007/08/10", "二", false, "泊数は正しい形式で入力してください"},
        {"unreadable logo", "2007/08/10", "2", true, "logo.bmp"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(exePath + QStringLiteral("logo.bmp"));
        if (c.badLogo) {
            QFile f(exePath + QStringLiteral("logo.bmp"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("BM this is not a picture");
        }
        TBillState b = sample::bill(0);
        b.SeisanDay = c.seisan;
        b.StayEdit = c.stay;
        const TBillState before = b;
        TPrintForm form(b, sample::facility(), exePath, KindReceipt);
        const TDocumentRun r = form.Run();
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(c.message)) << r.error.toStdString();
        EXPECT_TRUE(r.model.pages.isEmpty());

        auto record = [](QWidget *, const QString &title, const QString &text, QMessageBox::StandardButtons) {
            recorded().append({title, text, QMessageBox::Ok});
            return QMessageBox::Ok;
        };
        recorded().clear();
        EXPECT_FALSE(runBillDocumentWith(record, nullptr, b, r, DocumentMode::Print, 1));
        ASSERT_EQ(recorded().size(), 1);
        EXPECT_EQ(recorded()[0].title, QStringLiteral("エラー"));
        EXPECT_EQ(recorded()[0].text, r.error);
        EXPECT_EQ(b.DecideEdit, before.DecideEdit);
        EXPECT_EQ(b.SeisanDay, before.SeisanDay);
        EXPECT_EQ(b.Lines.size(), before.Lines.size());
    }
}

TEST(PictureText, FollowsThePictureAndNeverCutsANumber)
{
    EXPECT_EQ(pictureText(5000, QStringLiteral("999,999,999")), QStringLiteral("      5,000"));
    EXPECT_EQ(pictureText(-1200, QStringLiteral("999,999,999")), QStringLiteral("     -1,200"));
    EXPECT_EQ(pictureText(0, QStringLiteral("999,999")), QStringLiteral("      0"));
    EXPECT_EQ(pictureText(123456789, QStringLiteral("99,999,999")), QStringLiteral("123,456,789"));
    EXPECT_EQ(pictureText(-2147483648LL * 2, QStringLiteral("999,999,999")), QStringLiteral("-4,294,967,296"));
}

// A bill whose totals are refused (damaged lines whose sum would wrap) gets no
// page on any paper: the run carries the refusal and nothing else.
TEST_F(PrintFormTest, BillWithRefusedTotalsLaysOutNoPage)
{
    TBillState b = sample::bill();
    for (size_t i = 0; i < 4; ++i) {
        b.Lines[i].Tanka = INT32_MIN;
        b.Lines[i].Suryou = INT32_MIN;
    }
    for (BillPaper paper : {BillPaper::A5, BillPaper::A4, BillPaper::B5, BillPaper::Combined}) {
        const TDocumentRun r = makeBillDocument(b, sample::facility(), QString(), paper, 2);
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QStringLiteral("-2,147,483,648円から2,147,483,647円まで")));
        EXPECT_TRUE(r.model.pages.isEmpty());
    }
}

} // namespace
