// The renderer puts the A5 receipt where the layout says: the PDF's words,
// as pdftotext reads them back, stand within half a millimetre of their
// places on the sheet.

#include "gui_test_env.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "printing/print_form.h"
#include "printing/renderer.h"
#include "printing/report.h"
#include "storage/clock.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax; // millimetres
};

struct PdfText {
    double widthMm = 0, heightMm = 0;
    QList<Word> words;
};

constexpr double kMmPerPt = 25.4 / 72;

PdfText readPdf(const QString &path)
{
    PdfText out;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return out;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""));
    if (const auto m = page.match(html); m.hasMatch()) {
        out.widthMm = m.captured(1).toDouble() * kMmPerPt;
        out.heightMm = m.captured(2).toDouble() * kMmPerPt;
    }
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out.words.append({m.captured(5), m.captured(1).toDouble() * kMmPerPt, m.captured(2).toDouble() * kMmPerPt,
                          m.captured(3).toDouble() * kMmPerPt, m.captured(4).toDouble() * kMmPerPt});
    }
    return out;
}

QList<Word> find(const PdfText &pdf, const QString &text)
{
    QList<Word> out;
    for (const Word &w : pdf.words)
        if (w.text == text)
            out.append(w);
    return out;
}

TEST(PrintRender, ReceiptItemsStandWhereTheLayoutPutsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30)));
    QTemporaryDir dir;
    const QString pdfPath = dir.filePath(QStringLiteral("receipt.pdf"));
    TBillState bill = sample::bill(0);
    TPrintForm form(bill, sample::facility(), dir.path() + QLatin1Char('/'), KindReceipt);
    const TDocumentRun run = form.Run();
    ASSERT_TRUE(run.ok());
    ASSERT_EQ(printing::saveDocumentPdf(pdfPath, run.model), QString());
    Clock::setFixed(QDateTime());

    const PdfText pdf = readPdf(pdfPath);
    EXPECT_NEAR(pdf.widthMm, 148, 0.5);
    EXPECT_NEAR(pdf.heightMm, 210, 0.5);

    // Top binding: the bands start 12 mm from the left edge and 15 mm from the top.
    const double left = 12, top = 15;
    const double footer = 210 - 15 - 42.6;
    const double tol = 0.5;
    struct Expect {
        const char *what;
        QString text;
        int occurrence;
        double x;      // left edge, or right edge when rightAligned
        bool rightAligned;
        double y;      // top of the text
    };
    const Expect expected[] = {
        {"title", QStringLiteral("領収書"), 0, left + 0.0, false, top + 0.0},
        {"date", QStringLiteral("2007年08月10日"), 0, left + 34.4, false, top + 4.2},
        {"header amount", QStringLiteral("\u00A552,600-"), 0, left + 56.6, true, top + 32.3},
        {"first row text", QStringLiteral("大人"), 0, left + 10.1, false, top + 42.3 + 10.3 + 1.1},
        {"first row total", QStringLiteral("24,000"), 0, left + 127.2, true, top + 42.3 + 10.3 + 1.1},
        {"row 7 label", QStringLiteral("領収金額"), 1, left + 41.8, false, footer + 37.6 + 1.1},
        {"row 7 amount", QStringLiteral("\u00A552,600"), 0, left + 127.2, true, footer + 37.6 + 1.1},
        {"page number", QStringLiteral("1"), 0, 137.8, true, 11.9},
    };
    for (const Expect &e : expected) {
        SCOPED_TRACE(e.what);
        const QList<Word> words = find(pdf, e.text);
        ASSERT_GT(words.size(), e.occurrence) << e.text.toStdString();
        const Word &w = words[e.occurrence];
        EXPECT_NEAR(e.rightAligned ? w.xMax : w.xMin, e.x, tol);
        EXPECT_NEAR(w.yMin, e.y, tol);
    }
    // The first row's date is centred in its 9.5 mm cell.
    const QList<Word> dates = find(pdf, QStringLiteral("08/09"));
    ASSERT_FALSE(dates.isEmpty());
    EXPECT_NEAR((dates[0].xMin + dates[0].xMax) / 2, left + 9.5 / 2, tol);
    // Every glyph comes from an IPA face: no Latin face mixed in.
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {pdfPath});
    if (fonts.waitForFinished(60000)) {
        const QStringList rows = QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GT(rows.size(), 2);
        for (const QString &row : rows.mid(2))
            EXPECT_TRUE(row.startsWith(QStringLiteral("IPA"))) << row.toStdString();
    }
    // The payment line ends at its right edge.
    const QList<Word> payment = find(pdf, QStringLiteral("お支払い)"));
    ASSERT_FALSE(payment.isEmpty());
    EXPECT_NEAR(payment[0].xMax, left + 61.4, tol);
}

TEST(PrintRender, A4B5AndCombinedItemsStandWhereTheirTablesPutThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    struct Expect {
        const char *what;
        QString text;
        int occurrence;
        double x; // left edge, or right edge when rightAligned
        bool rightAligned;
        double y;
    };
    struct Case {
        const char *name;
        BillPaper paper;
        int kind;
        double width, height;
        QList<Expect> expected;
    };
    const double l = 12, t = 15;
    const Case cases[] = {
        {"A4 receipt", BillPaper::A4, KindReceipt, 210, 297,
         {{"date", QStringLiteral("2007年08月10日"), 0, l + 46.6, false, t + 3.2},
          {"header amount", QStringLiteral("\u00A552,600-"), 0, l + 63.8, true, t + 45.5},
          {"first row text", QStringLiteral("大人"), 0, l + 15.9, false, t + 59.0 + 16.4 + 1.1},
          {"first row total", QStringLiteral("24,000"), 0, l + 186.8, true, t + 59.0 + 16.4 + 1.1},
          {"page number", QStringLiteral("1"), 0, 199.5, true, 11.6}}},
        {"B5 bill", BillPaper::B5, KindBill, 182, 257,
         {{"date", QStringLiteral("2007年08月10日"), 0, l + 56.4, false, t + 2.9},
          {"room", QStringLiteral("部屋：松の間"), 0, l + 100.0, false, t + 44.5 + 0.5},
          {"first row text", QStringLiteral("大人"), 0, l + 11.6, false, t + 44.5 + 19.1 + 1.3},
          {"row 7 amount", QStringLiteral("\u00A552,600"), 1, l + 161.2, true, 257 - 15 - 53.2 + 46.3 + 0.8}}},
        {"combined", BillPaper::Combined, KindBill, 297, 210,
         {{"bill title", QStringLiteral("請求書"), 0, l + 0.0, false, t + 0.0},
          {"receipt title", QStringLiteral("領収書"), 0, 203.5, false, 34.9},
          {"receipt date", QStringLiteral("2007年08月10日"), 1, 247.1, false, 62.4},
          {"received amount", QStringLiteral("\u00A552,600-"), 0, 242.4, true, 92.6},
          {"proviso mark", QStringLiteral("但"), 0, 167.2, false, 111.9}}},
    };
    Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30)));
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TDocumentRun run = makeBillDocument(sample::bill(0), sample::facility(), QString(), c.paper, c.kind);
        ASSERT_TRUE(run.ok());
        const QString path = dir.filePath(QLatin1String(c.name) + QStringLiteral(".pdf"));
        ASSERT_EQ(printing::saveDocumentPdf(path, run.model), QString());
        const PdfText pdf = readPdf(path);
        EXPECT_NEAR(pdf.widthMm, c.width, 0.5);
        EXPECT_NEAR(pdf.heightMm, c.height, 0.5);
        for (const Expect &e : c.expected) {
            SCOPED_TRACE(e.what);
            const QList<Word> words = find(pdf, e.text);
            ASSERT_GT(words.size(), e.occurrence) << e.text.toStdString();
            const Word &w = words[e.occurrence];
            EXPECT_NEAR(e.rightAligned ? w.xMax : w.xMin, e.x, 0.5);
            EXPECT_NEAR(w.yMin, e.y, 0.5);
        }
    }
    Clock::setFixed(QDateTime());
}

TEST(PrintRender, PaperSizesAndLandscapeReachThePdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    struct Case {
        const char *name;
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
        double width, height;
    };
    const Case cases[] = {
        {"A4 landscape", QPageSize::A4, QPageLayout::Landscape, 297, 210},
        {"B5 (JIS)", QPageSize::JisB5, QPageLayout::Portrait, 182, 257},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        printing::Report r;
        r.page.size = c.size;
        r.page.orientation = c.orientation;
        r.page.leftMm = 15;
        r.page.topMm = 15;
        r.title.height = 30;
        r.title.add(printing::ReportItem::label(QStringLiteral("Mark"), 10, 20, printing::font(QString(), 12))).text =
            QStringLiteral("Mark");
        r.pageItems.append(printing::ReportItem::pageNumber(
            QStringLiteral("No"), c.width - 10, c.height - 10, printing::font(QString(), 8),
            [](int p, int n) { return QStringLiteral("p%1of%2").arg(p).arg(n); }, true));
        const QString path = dir.filePath(QLatin1String(c.name) + QStringLiteral(".pdf"));
        ASSERT_EQ(printing::saveDocumentPdf(path, r.layout()), QString());
        const PdfText pdf = readPdf(path);
        EXPECT_NEAR(pdf.widthMm, c.width, 0.5);
        EXPECT_NEAR(pdf.heightMm, c.height, 0.5);
        const QList<Word> mark = find(pdf, QStringLiteral("Mark"));
        ASSERT_EQ(mark.size(), 1);
        EXPECT_NEAR(mark[0].xMin, 25, 0.5);
        EXPECT_NEAR(mark[0].yMin, 35, 0.5);
        const QList<Word> no = find(pdf, QStringLiteral("p1of1"));
        ASSERT_EQ(no.size(), 1);
        EXPECT_NEAR(no[0].xMax, c.width - 10, 0.5);
    }
}

TEST(PrintRender, PdfIsWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    TBillState bill = sample::bill(1);
    TPrintForm form(bill, sample::facility(), QString(), KindBill);
    const TDocumentRun run = form.Run();
    ASSERT_TRUE(run.ok());
    const QString path = dir.filePath(QStringLiteral("bill.pdf"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    ASSERT_EQ(printing::saveDocumentPdf(path, run.model), QString());
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";

    // A folder that does not exist: a message, and nothing written.
    const QString bad = dir.filePath(QStringLiteral("missing/bill.pdf"));
    const QString error = printing::saveDocumentPdf(bad, run.model);
    EXPECT_TRUE(error.contains(QStringLiteral("保存できませんでした"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(bad));
}

} // namespace
