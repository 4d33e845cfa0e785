// What a guest reads on every bill document, checked on the page models of
// every document and paper, in both languages, for the sample bill and for
// the bill with everything at its longest: the logo above the address, the
// totals labels at their own size, a legible tax breakdown, whole web and
// mail addresses, telephone and fax apart, no "*****" rows, the proviso on
// receipts, English that reads as English, the invoice lines of a
// registered inn's receipts, and a town's accommodation tax in row 4, the
// tax breakdown and the invoice lines.

#include "gui_test_env.h"
#include "bill_document_kinds.h"
#include "page_checks.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "printing/print_form.h"
#include "storage/app_data.h"
#include "storage/clock.h"

#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace page_checks;
using printing::PageModel;
using printing::TextItem;

namespace {

struct Sample {
    const char *name;
    TBillState (*bill)(uint8_t);
    TBaseData (*base)();
};

TBillState registeredBill(uint8_t lang) { return sample::invoiceBill(lang); }
TBillState registeredEdgeBill(uint8_t lang) { return sample::invoiceEdgeBill(lang); }
TBillState townTaxBill(uint8_t lang) { return sample::lodgingBill(lang); }
TBillState townTaxEdgeBill(uint8_t lang) { return sample::lodgingBill(lang, true); }

const Sample kSamples[] = {
    {"sample bill", &sample::bill, &sample::facility},
    {"edge bill", &sample::edgeBill, &sample::edgeFacility},
    {"registered inn's bill of two rates", &registeredBill, &sample::facility},
    {"registered inn's longest bill of two rates", &registeredEdgeBill, &sample::edgeFacility},
    {"bill with the town's accommodation tax", &townTaxBill, &sample::facility},
    {"longest bill with the town's accommodation tax", &townTaxEdgeBill, &sample::edgeFacility},
};

BillLayout layoutOf(BillPaper paper)
{
    switch (paper) {
    case BillPaper::A4: return BillLayout::a4();
    case BillPaper::B5: return BillLayout::b5();
    case BillPaper::Combined: return BillLayout::combinedA4();
    default: return BillLayout::a5();
    }
}

QList<const TextItem *> invoiceItems(const PageModel &m, const QString &prefix);

class GuestDocuments : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30))); }
    void TearDown() override { Clock::setFixed(QDateTime()); }

    static PageModel run(const TBillState &bill, BillPaper paper, int kind, const TBaseData &base,
                         const QString &exePath = QString())
    {
        TDocumentRun r = makeBillDocument(bill, base, exePath, paper, kind);
        EXPECT_TRUE(r.ok()) << r.error.toStdString();
        return r.model;
    }

    // Every document, language and sample bill.
    template <typename Check> static void forEveryDocument(Check check, const QString &exePath = QString())
    {
        for (const Sample &s : kSamples)
            for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
                for (const Document &d : kDocuments) {
                    SCOPED_TRACE(std::string(d.name) + ", " + s.name + (lang ? ", English" : ", Japanese"));
                    const TBaseData base = s.base();
                    check(d, run(s.bill(lang), d.paper, d.kind, base, exePath), base, lang);
                }
    }

    static QString text(const PageModel &m, const QString &name)
    {
        const TextItem *t = m.text(0, name);
        return t ? t->text : QStringLiteral("<missing>");
    }

    static QRectF ink(const PageModel &m, const QString &name)
    {
        for (const Span &s : inkBoxes(m, 0))
            if (s.name == name)
                return s.box;
        return {};
    }
};

// The address lines of each half: postal code, telephone, fax, web, mail.
struct AddressNames {
    const char *zip, *tel, *fax, *url, *mail, *logo;
};
const AddressNames kBillHalf{"ZipCode", "TelNo", "FaxNo", "URL", "EMail", "LogoImage"};
const AddressNames kReceiptHalf{"QRLabel13", "QRLabel21", "QRLabel24", "QRLabel22", "QRLabel23", "QRImage1"};

QList<AddressNames> addressBlocks(const Document &d)
{
    if (d.paper == BillPaper::Combined)
        return {kBillHalf, kReceiptHalf};
    return {kBillHalf};
}

TEST_F(GuestDocuments, LogoStaysAboveTheAddressLinesInItsOwnProportions)
{
    for (const int height : {100, 160}) {
        SCOPED_TRACE(height);
        QTemporaryDir dir;
        const QString exePath = dir.path() + QLatin1Char('/');
        QImage logo(232, height, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        ASSERT_TRUE(logo.save(exePath + QStringLiteral("logo.bmp"), "BMP"));
        forEveryDocument(
            [&](const Document &d, const PageModel &m, const TBaseData &, uint8_t) {
                for (const AddressNames &a : addressBlocks(d)) {
                    const printing::ImageItem *img = m.image(0, QLatin1String(a.logo));
                    ASSERT_NE(img, nullptr);
                    const TextItem *zip = m.text(0, QLatin1String(a.zip));
                    EXPECT_LE(img->rect.bottom(), zip->rect.top() - 0.2 + 1e-6) << a.logo << " over " << a.zip;
                    EXPECT_NEAR(img->rect.width() / img->rect.height(), 232.0 / height, 1e-6);
                    // Under it a receipt names the inn in text, and a registered inn's gives its number.
                    EXPECT_GT(img->rect.height(), 18.0) << "made no smaller than it must";
                    if (issuesReceipt(d.paper, d.kind)) {
                        const TextItem *issuer =
                            m.text(0, a.logo == kBillHalf.logo ? QStringLiteral("Issuer") : QStringLiteral("Issuer2"));
                        ASSERT_NE(issuer, nullptr) << a.logo;
                        EXPECT_EQ(issuer->text, QStringLiteral("湯けむりの宿 山水館"));
                        EXPECT_LE(img->rect.bottom(), issuer->rect.top() + 1e-6);
                    }
                }
            },
            exePath);
    }
    // On A5 the recommended 232 x 100 logo (26.5 mm high) takes the 26.0 mm
    // above the 〒 line.
    QTemporaryDir dir;
    QImage logo(232, 100, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(dir.filePath(QStringLiteral("logo.bmp")), "BMP"));
    const PageModel a5 = run(sample::bill(0), BillPaper::A5, KindBill, sample::facility(), dir.path() + QLatin1Char('/'));
    EXPECT_NEAR(a5.image(0, QStringLiteral("LogoImage"))->rect.height(), 26.2 - 0.2, 1e-6);
}

TEST_F(GuestDocuments, EachTotalsLabelKeepsItsSizeUnlessItAloneDoesNotFit)
{
    printing::TextMeasure measure;
    int shrunk = 0, wrapped = 0;
    forEveryDocument([&](const Document &d, const PageModel &m, const TBaseData &, uint8_t) {
        const BillLayout L = layoutOf(d.paper);
        const qreal left = m.setup.leftMm;
        const qreal footer = m.setup.paperMm().height() - 15 - L.footerHeight;
        for (int row = 0; row < BillRows; ++row) {
            SCOPED_TRACE(row);
            const TextItem *t = m.text(0, QStringLiteral("GLabel%1").arg(row));
            ASSERT_TRUE(t);
            if (t->text.isEmpty())
                continue;
            const qreal x = left + (row == RowBalance ? L.label7X : L.labelX);
            const qreal room = left + L.amountCellX - 0.4 - x;
            const qreal top = footer + L.rowTop[row];
            printing::FontSpec nominal = t->font;
            nominal.pointSize = L.labelPt;
            const QString whole = QString(t->text).replace(QLatin1Char('\n'), QString());
            if (measure.width(nominal, whole) <= room) {
                EXPECT_EQ(t->font.pointSize, L.labelPt) << t->text.toStdString();
                EXPECT_NEAR(t->rect.top(), top + L.labelDy, 1e-6);
                continue;
            }
            // It alone is smaller, not below 7 pt, or on two lines within its row.
            const QStringList lines = t->text.split(QLatin1Char('\n'));
            if (lines.size() == 1) {
                EXPECT_GE(t->font.pointSize, 7) << t->text.toStdString();
                ++shrunk;
            } else {
                EXPECT_EQ(lines.size(), 2);
                EXPECT_GE(t->font.pointSize, 6);
                const QRectF glyphs = ink(m, t->name);
                EXPECT_GE(glyphs.top(), top);
                EXPECT_LE(glyphs.bottom(), top + L.totalsRowHeight);
                ++wrapped;
            }
            for (const QString &line : lines)
                EXPECT_LE(measure.width(t->font, line), room + 1e-6) << line.toStdString();
        }
    });
    EXPECT_GT(shrunk + wrapped, 0) << "the samples hold labels too long for their row";
}

TEST_F(GuestDocuments, TaxBreakdownIsLegibleWithTheAmountApart)
{
    TBaseData added = sample::facility();
    added.TaxKubun = 1;
    added.Nyutou_Kubun = 1;
    TBillState addedBill = sample::bill();
    CalcTotals(addedBill, added);
    const struct {
        const char *name;
        TBillState bill;
        TBaseData base;
    } cases[] = {
        {"included", sample::bill(), sample::facility()},
        {"added", addedBill, added},
        {"edge", sample::edgeBill(), sample::edgeFacility()},
    };
    printing::TextMeasure measure;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PageModel m = run(c.bill, BillPaper::Combined, KindBill, c.base);
        const TextItem *tax = m.text(0, QStringLiteral("QRLabel26"));
        ASSERT_TRUE(tax);
        EXPECT_GE(tax->font.pointSize, 6);
        // The rate as the label has it, a blank, the amount grouped.
        const QString grouped = QLocale(QLocale::English).toString(c.bill.SaNumEdit[RowTax].toLongLong());
        const QString label = c.base.TaxKubun ? c.bill.GEdit[RowTax] : QStringLiteral("消費税8%");
        EXPECT_TRUE(QString(tax->text).replace(QLatin1Char('\n'), QLatin1Char(' '))
                        .contains(label + QLatin1Char(' ') + grouped + QStringLiteral("円")))
            << tax->text.toStdString();
        const QStringList lines = tax->text.split(QLatin1Char('\n'));
        EXPECT_LE(lines.size(), 2);
        for (const QString &line : lines)
            EXPECT_LE(tax->rect.left() + measure.width(tax->font, line), 163.5 + 113.0);
        EXPECT_LE(tax->rect.top() + measure.lineHeight(tax->font) * lines.size(),
                  m.text(0, QStringLiteral("QRLabel30"))->rect.top() + 1e-6)
            << "above the payment line";
    }
}

TEST_F(GuestDocuments, WebAndMailAddressesAreNeverCut)
{
    TBaseData longest = sample::edgeFacility();
    const QString url = QStringLiteral("https://www.yukemuri-sansuikan-ryokan.example.co.jp/reservation/index.html");
    const QString mail = QStringLiteral("front-desk.reservations@yukemuri-sansuikan-ryokan.example.co.jp");
    setFieldText(longest.URL, url);
    setFieldText(longest.EMail, mail);
    ASSERT_EQ(fieldText(longest.URL), url);
    printing::TextMeasure measure;
    int broken = 0;
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
        for (const Document &d : kDocuments) {
            SCOPED_TRACE(std::string(d.name) + (lang ? " en" : " ja"));
            const PageModel m = run(sample::edgeBill(lang), d.paper, d.kind, longest);
            const qreal right = d.paper == BillPaper::Combined ? 297 - 10 : m.setup.leftMm + layoutOf(d.paper).itemsRight;
            for (const AddressNames &a : addressBlocks(d)) {
                const qreal edge = QLatin1String(a.url) == QLatin1String("URL") ? m.setup.leftMm + layoutOf(d.paper).itemsRight
                                                                                  : right;
                for (const auto &[name, expected] :
                     {std::pair{a.url, QStringLiteral("URL:") + url}, std::pair{a.mail, QStringLiteral("Mail:") + mail}}) {
                    const TextItem *t = m.text(0, QLatin1String(name));
                    ASSERT_TRUE(t);
                    EXPECT_EQ(QString(t->text).remove(QLatin1Char('\n')), expected) << "whole, no ellipsis";
                    EXPECT_GE(t->font.pointSize, 6);
                    const QStringList lines = t->text.split(QLatin1Char('\n'));
                    for (int i = 0; i < lines.size(); ++i) {
                        EXPECT_LE(t->rect.left() + measure.width(t->font, lines[i]), edge + 1e-6);
                        if (i + 1 < lines.size()) {
                            EXPECT_TRUE(QStringLiteral("/.@").contains(lines[i].back())) << lines[i].toStdString();
                        }
                    }
                    broken += lines.size() > 1;
                }
            }
            // Nothing over anything, the address block included.
            const QList<Span> boxes = inkBoxes(m, 0);
            for (const QString &o : overlappingTexts(boxes))
                ADD_FAILURE() << o.toStdString();
        }
    EXPECT_GT(broken, 0) << "these addresses need more than one line somewhere";
}

TEST_F(GuestDocuments, TelephoneAndFaxStandTwoMillimetresApart)
{
    forEveryDocument([&](const Document &d, const PageModel &m, const TBaseData &base, uint8_t) {
        for (const AddressNames &a : addressBlocks(d)) {
            EXPECT_EQ(text(m, QLatin1String(a.tel)), QStringLiteral("TEL:") + fieldText(base.TelNo));
            EXPECT_GE(ink(m, QLatin1String(a.fax)).left() - ink(m, QLatin1String(a.tel)).right(), 2.0 - 1e-6);
        }
    });
}

TEST_F(GuestDocuments, RowsThatDoNotApplyPrintEmpty)
{
    forEveryDocument([&](const Document &, const PageModel &m, const TBaseData &, uint8_t) {
        for (const printing::PageItem &item : m.pages[0].items)
            if (const TextItem *t = std::get_if<TextItem>(&item)) {
                EXPECT_FALSE(t->text.contains(BillPlaceholder)) << t->name.toStdString();
            }
        EXPECT_EQ(text(m, QStringLiteral("GLabel1")), QString()) << "no discount";
        EXPECT_EQ(text(m, QStringLiteral("GLabel6")), QString()) << "no deposit";
    });
    // A discount that applies keeps its label.
    TBillState b = sample::bill();
    b.NebikiCombo.Items = {QStringList{BillPlaceholder, QStringLiteral("お値引き")}, QStringList{BillPlaceholder}};
    b.NebikiCombo.ItemIndex = 1;
    EXPECT_EQ(text(run(b, BillPaper::A5, KindBill, sample::facility()), QStringLiteral("GLabel1")),
              QStringLiteral("お値引き"));
}

TEST_F(GuestDocuments, ProvisoOnEveryReceiptWhenTicked)
{
    TBaseData base = sample::facility();
    setFieldText(base.Tadashi, QStringLiteral("ご宿泊代として"));
    for (const Document &d : kDocuments) {
        if (d.paper == BillPaper::Combined)
            continue;
        for (const bool ticked : {false, true}) {
            SCOPED_TRACE(std::string(d.name) + (ticked ? " ticked" : " not ticked"));
            TBillState b = sample::bill();
            b.TadashiCheck = ticked;
            const PageModel m = run(b, d.paper, d.kind, base);
            const bool shown = ticked && d.kind == KindReceipt;
            ASSERT_EQ(m.text(0, QStringLiteral("TadashiLabel")) != nullptr, shown);
            if (!shown)
                continue;
            EXPECT_EQ(text(m, QStringLiteral("QRLabel29")), QStringLiteral("但"));
            EXPECT_EQ(text(m, QStringLiteral("TadashiLabel")), QStringLiteral("ご宿泊代として"));
            // On its rule, in the free space left of the totals and above the stamp box.
            const BillLayout L = layoutOf(d.paper);
            const qreal footer = m.setup.paperMm().height() - 15 - L.footerHeight;
            const printing::LineItem *rule = m.line(0, QStringLiteral("QRShape8"));
            ASSERT_TRUE(rule);
            const QRectF text = ink(m, QStringLiteral("TadashiLabel"));
            EXPECT_LE(text.bottom(), rule->from.y());
            EXPECT_GE(text.top(), footer);
            EXPECT_LE(rule->to.x(), m.setup.leftMm + L.labelCellX - 1.0);
            EXPECT_LT(rule->from.y(), footer + L.stampBox.y);
        }
    }
}

// What every document says in words, over every paper, language and sample
// bill: an English document holds no Japanese script but the inn's own texts
// (its name, address, proviso; the guest's plan and room) and the stamp
// frame; a receipt never ends in "Balance" (money owed) and, in Japanese,
// its received amount closes with "-".
TEST_F(GuestDocuments, EveryDocumentSpeaksItsReadersLanguage)
{
    const QStringList innsOwn{QStringLiteral("Sisetumei"), QStringLiteral("Sisetumei2"), QStringLiteral("Issuer"),
                              QStringLiteral("Issuer2"),   QStringLiteral("ZipCode"),    QStringLiteral("QRLabel13"),
                              QStringLiteral("Jusyo"),     QStringLiteral("QRLabel14"),  QStringLiteral("TadashiLabel"),
                              QStringLiteral("StampCaption"), QStringLiteral("StampCaption2")};
    forEveryDocument([&](const Document &d, const PageModel &m, const TBaseData &, uint8_t lang) {
        const bool receipt = issuesReceipt(d.paper, d.kind);
        QString everything;
        for (int p = 0; p < m.pages.size(); ++p)
            for (const printing::PageItem &item : m.pages[p].items) {
                const auto *t = std::get_if<TextItem>(&item);
                if (!t || t->text.isEmpty())
                    continue;
                everything += t->text + QLatin1Char('\n');
                if (lang && hasJapaneseScript(t->text) && !innsOwn.contains(t->name))
                    ADD_FAILURE() << t->name.toStdString() << ": " << t->text.toStdString();
            }
        // (The combined sheet's left half is a bill, which has a balance.)
        if (d.kind == KindReceipt && d.paper != BillPaper::Combined)
            EXPECT_FALSE(everything.contains(QStringLiteral("Balance"))) << everything.toStdString();
        if (receipt && !lang) {
            const QString received = d.paper == BillPaper::Combined ? text(m, QStringLiteral("QRLabel11"))
                                                                    : text(m, QStringLiteral("QRLabel16"));
            EXPECT_TRUE(received.endsWith(QLatin1Char('-'))) << received.toStdString();
            EXPECT_EQ(text(m, QStringLiteral("GLabel7")),
                      d.paper == BillPaper::Combined ? QStringLiteral("ご請求金額") : QStringLiteral("領収金額"));
        }
    });
}

// The invoice of a registered inn at its longest (the longest texts, two
// rates, the town's tax too, the proviso, paid in cash so that a stamp is
// due) on every bill and receipt, every paper and language: its lines one
// block, one right under another, below the proviso's rule and clear of it;
// on a receipt the stamp frame is there, on the paper, clear of the block.
TEST_F(GuestDocuments, InvoiceLinesStayOneBlockAndTheStampFrameStays)
{
    for (const bool townTax : {false, true})
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
            for (const Document &d : kDocuments) {
                if (d.kind == KindEstimate)
                    continue;
                SCOPED_TRACE(std::string(d.name) + (townTax ? ", town's tax" : "") + (lang ? ", English" : ", Japanese"));
                TBillState bill = townTax ? sample::lodgingBill(lang, true) : sample::invoiceEdgeBill(lang);
                bill.SiharaiCombo.EditText.clear();
                bill.SaNumEdit[8].clear();
                ASSERT_TRUE(CalcTotals(bill, sample::edgeFacility(),
                                       townTax ? sample::townTax(sample::kRegistrationNo) : [] {
                                           TMoneySettings m;
                                           m.RegistrationNo = sample::kRegistrationNo;
                                           return m;
                                       }()).isEmpty());
                const TDocumentRun r = makeBillDocument(bill, sample::edgeFacility(), QString(), d.paper, d.kind);
                ASSERT_TRUE(r.ok());
                const PageModel &m = r.model;
                const bool combined = d.paper == BillPaper::Combined;
                const QList<const TextItem *> lines = invoiceItems(m, combined ? QStringLiteral("Invoice2_") : QStringLiteral("Invoice"));
                ASSERT_GE(lines.size(), townTax ? 2 : 4);
                for (int i = 1; i < lines.size(); ++i)
                    EXPECT_NEAR(lines[i]->rect.top(), lines[i - 1]->rect.bottom(), 0.05)
                        << lines[i - 1]->text.toStdString() << " / " << lines[i]->text.toStdString();
                const QRectF block(lines.first()->rect.topLeft(), lines.last()->rect.bottomRight());
                // The bill half of the combined sheet has its own block.
                if (combined) {
                    const QList<const TextItem *> billHalf = invoiceItems(m, QStringLiteral("Invoice"));
                    ASSERT_FALSE(billHalf.isEmpty());
                    for (int i = 1; i < billHalf.size(); ++i)
                        EXPECT_NEAR(billHalf[i]->rect.top(), billHalf[i - 1]->rect.bottom(), 0.05);
                }

                if (const printing::LineItem *rule = m.line(0, QStringLiteral("QRShape8"))) {
                    EXPECT_GE(block.top(), rule->from.y() + 1.0) << "under the proviso's rule, apart from it";
                    for (const char *name : {"TadashiLabel", "QRLabel29"})
                        if (const TextItem *t = m.text(0, QLatin1String(name)))
                            EXPECT_FALSE(t->rect.intersects(block)) << name;
                }

                if (!issuesReceipt(d.paper, d.kind))
                    continue;
                ASSERT_TRUE(r.stamp.needed());
                const QString suffix = combined ? QStringLiteral("2") : QString();
                const printing::RectItem *frame = m.rect(0, QStringLiteral("Stamp") + suffix);
                ASSERT_TRUE(frame) << "the stamp frame stays where a stamp is due";
                EXPECT_EQ(text(m, QStringLiteral("StampCaption") + suffix), QStringLiteral("収入印紙"));
                EXPECT_FALSE(frame->rect.intersects(block.adjusted(-0.3, -0.3, 0.3, 0.3)));
                const QRectF paper(QPointF(0, 0), m.setup.paperMm());
                EXPECT_TRUE(paper.adjusted(5, 5, -5, -5).contains(frame->rect));
            }
}

TEST_F(GuestDocuments, EnglishReadsAsEnglishAndJapaneseKeepsItsWording)
{
    struct Case {
        const char *name;
        BillPaper paper;
        int kind;
        uint8_t lang;
        const char *item;
        QString expected;
    };
    const Case cases[] = {
        {"date", BillPaper::A5, KindBill, 1, "Date", QStringLiteral("10 Aug 2007")},
        {"stay", BillPaper::A5, KindBill, 1, "QRLabel19", QStringLiteral("from 9 Aug  2 nights")},
        {"quantity heading", BillPaper::A4, KindBill, 1, "QRLabel5", QStringLiteral("Qty")},
        {"amount beside JPY", BillPaper::B5, KindBill, 1, "QRLabel16", QStringLiteral("52,600")},
        {"currency tag", BillPaper::A5, KindBill, 1, "QRLabel17", QStringLiteral("JPY")},
        {"card payment", BillPaper::A5, KindReceipt, 1, "QRLabel7", QStringLiteral("(of which JPY 5,000 paid by VISA)")},
        {"receipt date", BillPaper::Combined, KindBill, 1, "QRLabel9", QStringLiteral("10 Aug 2007")},
        {"received", BillPaper::Combined, KindBill, 1, "QRLabel11", QStringLiteral("JPY 52,600")},
        {"unit price heading", BillPaper::A5, KindBill, 1, "QRLabel4", QStringLiteral("Unit price")},
        {"room", BillPaper::A5, KindBill, 1, "QRLabel3", QStringLiteral("Room: Matsu")},
        {"no yen beside JPY", BillPaper::A5, KindBill, 1, "GNum7", QStringLiteral("     52,600")},
        {"receipt's last row", BillPaper::A5, KindReceipt, 1, "GLabel7", QStringLiteral("Amount received")},
        {"proviso mark", BillPaper::Combined, KindBill, 1, "QRLabel29", QStringLiteral("For")},
        {"date ja", BillPaper::A5, KindBill, 0, "Date", QStringLiteral("2007年08月10日")},
        {"stay ja", BillPaper::A5, KindBill, 0, "QRLabel19", QStringLiteral("08月09日(木)から2泊")},
        {"quantity ja", BillPaper::A4, KindBill, 0, "QRLabel5", QStringLiteral("数量")},
        {"amount ja", BillPaper::B5, KindBill, 0, "QRLabel16", QStringLiteral("\u00A552,600")},
        {"card payment ja", BillPaper::A5, KindReceipt, 0, "QRLabel7", QStringLiteral("(内 VISAにて \u00A55,000- お支払い)")},
        {"received ja", BillPaper::A4, KindReceipt, 0, "QRLabel16", QStringLiteral("\u00A552,600-")},
        {"receipt's last row ja", BillPaper::B5, KindReceipt, 0, "GLabel7", QStringLiteral("領収金額")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(run(sample::bill(c.lang), c.paper, c.kind, sample::facility()), QLatin1String(c.item)),
                  c.expected);
    }
    // One night, and a December date.
    Clock::setFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 0)));
    TBillState one = sample::bill(1);
    one.StayEdit = QStringLiteral("1");
    one.StayLabel = QStringLiteral("2026年12月10日(木)から");
    one.SeisanDay.clear();
    const PageModel m = run(one, BillPaper::A5, KindBill, sample::facility());
    EXPECT_EQ(text(m, QStringLiteral("QRLabel19")), QStringLiteral("from 10 Dec  1 night"));
    EXPECT_EQ(text(m, QStringLiteral("Date")), QStringLiteral("11 Dec 2026"));

    // No document says JPN, Night[s] or the currency twice.
    forEveryDocument([&](const Document &, const PageModel &doc, const TBaseData &, uint8_t) {
        for (const printing::PageItem &item : doc.pages[0].items)
            if (const TextItem *t = std::get_if<TextItem>(&item)) {
                EXPECT_FALSE(t->text.contains(QStringLiteral("JPN"))) << t->name.toStdString();
                EXPECT_FALSE(t->text.contains(QStringLiteral("Night["))) << t->name.toStdString();
                EXPECT_FALSE(t->text.contains(QStringLiteral("JPY \u00A5"))) << t->name.toStdString();
            }
    });

    // The default item master spells its drinks right.
    std::array<RecordList<THojoKamoku>, KamokuCategories> lists;
    seedDefaultKamoku(lists);
    QStringList english;
    for (const auto &list : lists)
        for (const THojoKamoku &k : list)
            english << fieldText(k.ETekiyo);
    EXPECT_TRUE(english.contains(QStringLiteral("Japanese Liquor")));
    EXPECT_FALSE(english.join(QLatin1Char(',')).contains(QStringLiteral("Jananese")));
}

// The invoice lines of a document: the texts of the items named prefix0,
// prefix1, ... in reading order.
QList<const TextItem *> invoiceItems(const PageModel &m, const QString &prefix)
{
    QList<const TextItem *> out;
    while (const TextItem *t = m.text(0, prefix + QString::number(out.size())))
        out << t;
    return out;
}

// The invoice lines of a receipt: legible, one under another, inside the
// receipt, over no other text, the stamp box or a rule.
void expectInvoiceLinesClear(const PageModel &m, const Document &d, const QList<const TextItem *> &lines)
{
    printing::TextMeasure measure;
    const bool combined = d.paper == BillPaper::Combined;
    // Legible, one under another, inside the receipt: left of the
    // totals on its own paper, right of the fold on the combined sheet.
    const BillLayout L = layoutOf(d.paper);
    const QRectF frame =
        combined ? QRectF(QPointF(L.receipt.dividerX, m.setup.topMm),
                          QPointF(m.setup.paperMm().width() - m.setup.rightMm,
                                  m.setup.paperMm().height() - m.setup.bottomMm))
                 : QRectF(QPointF(m.setup.leftMm, m.setup.topMm),
                          QPointF(m.setup.leftMm + L.labelCellX - 1.0,
                                  m.setup.paperMm().height() - m.setup.bottomMm));
    for (int i = 0; i < lines.size(); ++i) {
        const TextItem *t = lines[i];
        EXPECT_GE(t->font.pointSize, 6);
        const QRectF glyphs(t->rect.topLeft(), QSizeF(measure.width(t->font, t->text),
                                                      measure.lineHeight(t->font)));
        EXPECT_TRUE(frame.contains(glyphs)) << t->text.toStdString();
        if (i > 0) {
            EXPECT_GE(t->rect.top(), lines[i - 1]->rect.top() + measure.lineHeight(t->font) - 1e-6);
        }
    }
    for (const char *name : {"RegistrationNo", "RegistrationNo2"}) {
        const TextItem *t = m.text(0, QLatin1String(name));
        if (!t)
            continue;
        const qreal right = combined && QLatin1String(name) == QLatin1String("RegistrationNo2")
                                ? frame.right()
                                : m.setup.leftMm + L.itemsRight;
        EXPECT_LE(t->rect.left() + measure.width(t->font, t->text), right + 1e-6) << name;
        EXPECT_GE(t->font.pointSize, 6);
    }

    // No text over another, none over the stamp box, no rule through one.
    const QList<Span> boxes = inkBoxes(m, 0);
    for (const QString &o : overlappingTexts(boxes))
        ADD_FAILURE() << o.toStdString();
    for (const Span &b : boxes) {
        if (!b.name.startsWith(QStringLiteral("Invoice")) && !b.name.startsWith(QStringLiteral("Registration")))
            continue;
        for (const printing::PageItem &item : m.pages[0].items)
            if (const auto *r = std::get_if<printing::RectItem>(&item);
                r && QStringList{QStringLiteral("QRShape26"), QStringLiteral("QRShape7"),
                                 QStringLiteral("Stamp"), QStringLiteral("Stamp2")}
                         .contains(r->name)) {
                EXPECT_FALSE(r->rect.intersects(b.box)) << b.name.toStdString() << " in the stamp box";
            }
        for (const Segment &s : ruledSegments(m, 0)) {
            const bool crosses = s.horizontal ? s.at > b.box.top() && s.at < b.box.bottom()
                                                    && s.to > b.box.left() && s.from < b.box.right()
                                              : s.at > b.box.left() && s.at < b.box.right()
                                                    && s.to > b.box.top() && s.from < b.box.bottom();
            EXPECT_FALSE(crosses) << b.name.toStdString() << " crossed by " << s.name.toStdString();
        }
    }
}

TEST_F(GuestDocuments, InvoiceLinesOfEveryReceiptInsideItsFrameOverNothing)
{
    for (const bool twoRates : {false, true})
        for (const bool longest : {false, true})
            for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
                for (const Document &d : kDocuments) {
                    if (d.kind == KindEstimate)
                        continue;
                    SCOPED_TRACE(std::string(d.name) + (twoRates ? ", two rates" : ", one rate")
                                 + (longest ? ", longest texts" : "") + (lang ? ", English" : ", Japanese"));
                    const TBillState bill =
                        longest ? sample::invoiceEdgeBill(lang, twoRates) : sample::invoiceBill(lang, twoRates);
                    const PageModel m = run(bill, d.paper, d.kind, longest ? sample::edgeFacility() : sample::facility());
                    const bool combined = d.paper == BillPaper::Combined;

                    // The number under the facility's name, on both halves of the combined sheet.
                    const QString number = (lang ? QStringLiteral("Registration No. ") : QStringLiteral("登録番号 "))
                                           + sample::kRegistrationNo;
                    EXPECT_EQ(text(m, QStringLiteral("RegistrationNo")), number);
                    if (combined) {
                        EXPECT_EQ(text(m, QStringLiteral("RegistrationNo2")), number);
                    }

                    // Each rate with its taxable amount and tax, the mark's legend, what is outside the tax.
                    QStringList expected =
                        lang ? QStringList{QStringLiteral("Subject to 10%: JPY 61,200 (incl. consumption tax JPY 5,563)")}
                             : QStringList{QStringLiteral("10%対象 ¥61,200 (内消費税 ¥5,563)")};
                    if (!twoRates)
                        expected = lang ? QStringList{QStringLiteral("Subject to 10%: JPY 63,600 (incl. consumption tax JPY 5,781)")}
                                        : QStringList{QStringLiteral("10%対象 ¥63,600 (内消費税 ¥5,781)")};
                    else if (lang)
                        expected << QStringLiteral("Subject to 8%: JPY 2,400 (incl. consumption tax JPY 177)")
                                 << QStringLiteral("※ Reduced tax rate (8%) item");
                    else
                        expected << QStringLiteral("8%対象 ¥2,400 (内消費税 ¥177)") << QStringLiteral("※印は軽減税率(8%)対象");
                    expected << (lang ? QStringLiteral("Bathing tax and advances: not taxable")
                                      : QStringLiteral("入湯税・立替金は不課税"));
                    const QList<const TextItem *> lines = invoiceItems(m, combined ? QStringLiteral("Invoice2_")
                                                                                   : QStringLiteral("Invoice"));
                    QStringList texts;
                    for (const TextItem *t : lines)
                        texts << t->text;
                    EXPECT_EQ(texts.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
                    // The reduced-rate line is marked, the others not.
                    const QList<const TextItem *> rows = m.texts(0, QStringLiteral("Tekiyou"));
                    ASSERT_GE(rows.size(), 5);
                    EXPECT_EQ(rows[3]->text.startsWith(QStringLiteral("※")), twoRates) << rows[3]->text.toStdString();
                    EXPECT_FALSE(rows[0]->text.startsWith(QStringLiteral("※")));

                    expectInvoiceLinesClear(m, d, lines);
                    // The stamp's place (the dotted box, or the frame of a receipt
                    // that needs a stamp) on every receipt.
                    bool stamp = false;
                    for (const printing::PageItem &item : m.pages[0].items)
                        if (const auto *r = std::get_if<printing::RectItem>(&item))
                            stamp = stamp || QStringList{QStringLiteral("QRShape26"), QStringLiteral("QRShape7"),
                                                         QStringLiteral("Stamp"), QStringLiteral("Stamp2")}
                                                 .contains(r->name);
                    EXPECT_EQ(stamp, issuesReceipt(d.paper, d.kind));
                }
}

TEST_F(GuestDocuments, AccommodationTaxInRowFourTheTaxBreakdownAndTheInvoiceLines)
{
    for (const bool longest : {false, true})
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
            // 2 guests x 2 nights at 15,000: 400 a guest-night and a 2,000
            // taxi fare in row 4; the 150 x 4 of bathing tax the prices
            // include is named in the charge row, apart from what is added.
            const TBillState bill = sample::lodgingBill(lang, longest);
            ASSERT_EQ(bill.LodgingTax, 1600);
            const QString row4 = lang ? QStringLiteral("Advance&Accommodation Tax(4psn-nights * JPY400)")
                                      : QStringLiteral("立替金及び宿泊税(4名泊×400円)");
            ASSERT_EQ(bill.GEdit[RowAdvance], row4);
            ASSERT_EQ(bill.SaNumEdit[RowAdvance], QStringLiteral("3600"));
            ASSERT_EQ(bill.GEdit[RowCharge], lang ? QStringLiteral("Charge (incl. Bathing Tax JPY600)")
                                                  : QStringLiteral("料金計(内 入湯税600円)"));
            const TBillState without = longest ? sample::invoiceEdgeBill(lang, false) : sample::invoiceBill(lang, false);
            EXPECT_EQ(bill.SaNumEdit[RowTotal].toLongLong(), without.SaNumEdit[RowTotal].toLongLong() + 1600)
                << "collected on top, outside the consumption tax";
            EXPECT_EQ(bill.SaNumEdit[RowTax], without.SaNumEdit[RowTax]);

            for (const Document &d : kDocuments) {
                SCOPED_TRACE(std::string(d.name) + (longest ? ", longest texts" : "") + (lang ? ", English" : ", Japanese"));
                const TBaseData base = longest ? sample::edgeFacility() : sample::facility();
                const PageModel m = run(bill, d.paper, d.kind, base);
                // Whole, on one or two lines (a wrap takes the blank it breaks at).
                const auto packed = [](QString t) { return t.remove(QLatin1Char('\n')).remove(QLatin1Char(' ')); };
                EXPECT_EQ(packed(text(m, QStringLiteral("GLabel4"))), packed(row4));
                EXPECT_EQ(text(m, QStringLiteral("GNum4")).trimmed(), QStringLiteral("3,600"));

                const bool combined = d.paper == BillPaper::Combined;
                if (combined && !lang) {
                    // The receipt half's "(内 消費税10% … 立替金及び…=3,600円 )".
                    const QString tax = text(m, QStringLiteral("QRLabel26")).remove(QLatin1Char('\n'));
                    EXPECT_TRUE(tax.contains(QStringLiteral("立替金及び宿泊税(4名泊×400円)=3,600円")))
                        << tax.toStdString();
                }
                if (d.kind == KindReceipt || combined) {
                    const QList<const TextItem *> lines =
                        invoiceItems(m, combined ? QStringLiteral("Invoice2_") : QStringLiteral("Invoice"));
                    QStringList texts;
                    for (const TextItem *t : lines)
                        texts << t->text;
                    expectInvoiceLinesClear(m, d, lines);
                    EXPECT_TRUE(texts.join(QLatin1Char(' ')).endsWith(
                        lang ? QStringLiteral("Bathing tax, Accommodation Tax and advances: not taxable")
                             : QStringLiteral("入湯税・宿泊税・立替金は不課税")))
                        << texts.join(QLatin1Char('|')).toStdString();
                }
            }
        }
}

// The tax's printed names at their longest (20 and 30 bytes) still leave
// every invoice line on every receipt.
TEST_F(GuestDocuments, AccommodationTaxOfTheLongestNamesKeepsTheInvoiceLines)
{
    TMoneySettings money = sample::townTax(sample::kRegistrationNo);
    money.Lodging.Name = QStringLiteral("函南町特別宿泊税額");
    money.Lodging.NameEn = QStringLiteral("Kannami Town Accommodation Tax");
    ASSERT_EQ(cp932::encode(money.Lodging.Name).size(), 18u);
    ASSERT_EQ(money.Lodging.NameEn.size(), 30);
    for (const bool longest : {false, true})
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
            TBillState bill = sample::lodgingBill(lang, longest);
            const TBaseData base = longest ? sample::edgeFacility() : sample::facility();
            ASSERT_TRUE(CalcTotals(bill, base, money).isEmpty());
            for (const Document &d : kDocuments) {
                if (d.kind != KindReceipt && d.paper != BillPaper::Combined)
                    continue;
                SCOPED_TRACE(std::string(d.name) + (longest ? ", longest texts" : "") + (lang ? ", English" : ", Japanese"));
                const PageModel m = run(bill, d.paper, d.kind, base);
                const QList<const TextItem *> lines =
                    invoiceItems(m, d.paper == BillPaper::Combined ? QStringLiteral("Invoice2_") : QStringLiteral("Invoice"));
                expectInvoiceLinesClear(m, d, lines);
                QStringList texts;
                for (const TextItem *t : lines)
                    texts << t->text;
                // Japanese runs on from one printed line to the next.
                EXPECT_TRUE(texts.join(lang ? QStringLiteral(" ") : QString()).endsWith(
                    lang ? QStringLiteral("Bathing tax, Kannami Town Accommodation Tax and advances: not taxable")
                         : QStringLiteral("入湯税・函南町特別宿泊税額・立替金は不課税")))
                    << texts.join(QLatin1Char('|')).toStdString();
            }
        }
}

TEST_F(GuestDocuments, NothingOfTheInvoiceWithoutARegistrationNumberNorOnAnEstimate)
{
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
        for (const Document &d : kDocuments)
            for (const bool registered : {false, true}) {
                const bool invoice = registered && d.kind != KindEstimate;
                if (invoice)
                    continue;
                SCOPED_TRACE(std::string(d.name) + (registered ? ", registered" : "") + (lang ? ", English" : ", Japanese"));
                const TBillState bill =
                    sample::invoiceBill(lang, true, sample::facility(), registered ? sample::kRegistrationNo : QString());
                const PageModel m = run(bill, d.paper, d.kind, sample::facility());
                for (const printing::PageItem &item : m.pages[0].items)
                    if (const TextItem *t = std::get_if<TextItem>(&item)) {
                        EXPECT_FALSE(t->name.startsWith(QStringLiteral("Invoice"))) << t->name.toStdString();
                        EXPECT_FALSE(t->name.startsWith(QStringLiteral("Registration"))) << t->name.toStdString();
                        EXPECT_FALSE(t->text.contains(QStringLiteral("※"))) << t->text.toStdString();
                        EXPECT_FALSE(t->text.contains(sample::kRegistrationNo)) << t->text.toStdString();
                    }
            }
}

} // namespace
