// The receivables statement and the sales per item on paper: where the page
// model puts cells and texts, how rows run onto further pages, and that the
// PDF's words stand within half a millimetre of those places.

#include "../printing/gui_test_env.h"
#include "pdf_words.h"

#include "printing/renderer.h"
#include "reports/getujiopt_prin_form.h"
#include "reports/urikake_prn_form.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace printing;

namespace {

std::vector<QStringList> receivableRows(int n)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("05(水)"), QString::number(1000 + i), QStringLiteral("山田 太郎"),
                        QStringLiteral("VISA"), QString::number(12000 + i)});
    rows.push_back({QStringLiteral("合計"), {}, {}, {}, QString::number(12000 * n + n * (n - 1) / 2)});
    return rows;
}

const TextItem *nth(const PageModel &m, int page, const QString &name, int n)
{
    const QList<const TextItem *> all = m.texts(page, name);
    return n < all.size() ? all[n] : nullptr;
}

TEST(UrikakePrnForm, HeaderHeadingsAndRowsInPlace)
{
    TUrikakePrnForm form(QStringLiteral("2008年03月分"), receivableRows(2));
    const PageModel m = form.Run();
    ASSERT_EQ(m.pages.size(), 1);
    EXPECT_EQ(m.setup.size, QPageSize::A4);
    EXPECT_EQ(m.setup.orientation, QPageLayout::Portrait);

    const TextItem *title = m.text(0, QStringLiteral("TitleLabel"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, QStringLiteral("2008年03月分　売掛金月次明細表"));
    EXPECT_EQ(title->font.pointSize, 18);
    EXPECT_NEAR(title->rect.left(), 10, 1e-6);
    EXPECT_NEAR(title->rect.top(), 10, 1e-6);

    // Heading cells under the 9.3 mm page header, filled light cyan.
    const qreal headTop = 10 + 9.3;
    const struct { qreal left, width; const char *caption; } heads[] = {
        {0.0, 12.4, "日"}, {12.4, 18.5, "請求番号"}, {31.0, 48.9, "使用者名"}, {79.9, 30.0, "売掛金種別"},
        {109.8, 16.1, "金額"}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const RectItem *cell = m.rect(0, QStringLiteral("HeadingCell%1").arg(i));
        ASSERT_TRUE(cell);
        EXPECT_NEAR(cell->rect.left(), 10 + heads[i].left, 1e-6);
        EXPECT_NEAR(cell->rect.width(), heads[i].width, 1e-6);
        EXPECT_NEAR(cell->rect.top(), headTop, 1e-6);
        EXPECT_NEAR(cell->rect.height(), 5.3, 1e-6);
        EXPECT_EQ(cell->fill, QColor(0xF3, 0xFF, 0xFF));
        const TextItem *caption = m.text(0, QStringLiteral("HeadingCaption%1").arg(i));
        ASSERT_TRUE(caption);
        EXPECT_EQ(caption->text, QString::fromUtf8(heads[i].caption));
        EXPECT_TRUE(caption->font.bold);
    }

    // Detail rows every 5.4 mm below the 5.4 mm heading band; texts 1.1 mm down.
    const qreal firstRow = headTop + 5.4;
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const RectItem *cells = nullptr;
        int seen = 0;
        for (const PageItem &item : m.pages[0].items)
            if (const auto *rect = std::get_if<RectItem>(&item); rect && rect->name == QStringLiteral("DetailCell0"))
                if (seen++ == r)
                    cells = rect;
        ASSERT_TRUE(cells);
        EXPECT_NEAR(cells->rect.top(), firstRow + 5.4 * r, 1e-6);
        EXPECT_FALSE(cells->fill.has_value());
        const TextItem *amount = nth(m, 0, QStringLiteral("DetailText4"), r);
        ASSERT_TRUE(amount);
        EXPECT_NEAR(amount->rect.top(), firstRow + 5.4 * r + 1.1, 1e-6);
        EXPECT_NEAR(amount->rect.right(), 10 + 125.1, 1e-6);
        const TextItem *day = nth(m, 0, QStringLiteral("DetailText0"), r);
        ASSERT_TRUE(day);
        EXPECT_NEAR(day->rect.center().x(), 10 + 6.0, 1e-6);
        EXPECT_TRUE(day->align & Qt::AlignHCenter);
    }
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText4"), 0)->text, QStringLiteral("12,000"));
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText0"), 2)->text, QStringLiteral("合計"));
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText4"), 2)->text, QStringLiteral("24,001"));
    // Empty cells of the totals row print nothing.
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText1"), 2)->text, QString());
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).size(), 3) << "no padding rows";
}

TEST(UrikakePrnForm, EmptyMonthPrintsTheTotalsRowAlone)
{
    TUrikakePrnForm form(QStringLiteral("2008年03月分"), {{QStringLiteral("合計"), {}, {}, {}, QStringLiteral("0")}});
    const PageModel m = form.Run();
    ASSERT_EQ(m.pages.size(), 1);
    ASSERT_EQ(m.texts(0, QStringLiteral("DetailText4")).size(), 1);
    EXPECT_EQ(m.text(0, QStringLiteral("DetailText4"))->text, QStringLiteral("0"));
}

TEST(UrikakePrnForm, LongMonthsRunOntoFurtherPagesWithTheirHeaderAndHeadings)
{
    // 277 mm of band space: every page holds 9.3 + 5.4 + 48 x 5.4.
    TUrikakePrnForm form(QStringLiteral("2008年03月分"), receivableRows(99));
    const PageModel m = form.Run();
    ASSERT_EQ(m.pages.size(), 3);
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).size(), 48);
    EXPECT_EQ(m.texts(1, QStringLiteral("DetailText0")).size(), 48);
    EXPECT_EQ(m.texts(2, QStringLiteral("DetailText0")).size(), 4);
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(m.text(p, QStringLiteral("TitleLabel")));
        EXPECT_EQ(m.text(p, QStringLiteral("PageNo"))->text, QStringLiteral("%1 / 3").arg(p + 1));
        ASSERT_TRUE(m.rect(p, QStringLiteral("HeadingCell0"))) << "headings on every page";
        EXPECT_NEAR(m.rect(p, QStringLiteral("HeadingCell0"))->rect.top(), 10 + 9.3, 1e-6);
        EXPECT_NEAR(m.rect(p, QStringLiteral("DetailCell0"))->rect.top(), 10 + 9.3 + 5.4, 1e-6);
    }
}

TEST(UrikakePrnForm, LongNamesShrinkOrAreCutInsideTheirCell)
{
    std::vector<QStringList> rows = {{QStringLiteral("05(水)"), QStringLiteral("4000000000"),
                                      QString(32, QChar(0x6F22)), QStringLiteral("カード"),
                                      QStringLiteral("1234567890")}};
    TUrikakePrnForm form(QStringLiteral("2008年03月分"), rows);
    const PageModel m = form.Run();
    const TextItem *name = m.text(0, QStringLiteral("DetailText2"));
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->clip);
    EXPECT_LE(name->rect.right(), 10 + 31.0 + 48.9);
    EXPECT_GE(name->rect.left(), 10 + 31.0);
    // An amount too long for the picture is printed whole, not cut to its leading digits.
    EXPECT_EQ(m.text(0, QStringLiteral("DetailText4"))->text, QStringLiteral("1,234,567,890"));
}

TEST(GetujioptPrinForm, HeaderColumnHeaderAndRowsInPlace)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back({QString::number(1601101 + i), QStringLiteral("ビール"), i ? QString() : QStringLiteral("5"),
                        i ? QString() : QStringLiteral("2500")});
    rows.push_back({QString(), QStringLiteral("合計"), QStringLiteral("5"), QStringLiteral("2500")});
    TGetujioptPrinForm form(QStringLiteral("2008年03月分"), QStringLiteral("オプション明細"), rows);
    const PageModel m = form.Run();
    const TextItem *title = m.text(0, QStringLiteral("TitleLabel"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, QStringLiteral("2008年03月分　オプション明細売上集計表"));
    EXPECT_NEAR(title->rect.left(), 10 + 1.6, 1e-6);
    EXPECT_NEAR(title->rect.top(), 10 + 0.5, 1e-6);

    const struct { qreal left, width; const char *caption; } heads[] = {
        {0.0, 25.1, "科目コード"}, {25.1, 71.4, "項目名"}, {96.6, 26.5, "数量"}, {123.0, 39.7, "料金計"}};
    // The column header repeats on every page, below the 10.3 mm page header.
    ASSERT_EQ(m.pages.size(), 2);
    for (int page = 0; page < 2; ++page)
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const RectItem *cell = m.rect(page, QStringLiteral("HeadingCell%1").arg(i));
            ASSERT_TRUE(cell);
            EXPECT_NEAR(cell->rect.left(), 10 + heads[i].left, 1e-6);
            EXPECT_NEAR(cell->rect.width(), heads[i].width, 1e-6);
            EXPECT_NEAR(cell->rect.top(), 10 + 10.3, 1e-6);
            EXPECT_EQ(m.text(page, QStringLiteral("HeadingCaption%1").arg(i))->text,
                      QString::fromUtf8(heads[i].caption));
        }
    // (277 - 10.3 - 5.3) / 5.3 = 49 rows a page.
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).size(), 49);
    EXPECT_EQ(m.texts(1, QStringLiteral("DetailText0")).size(), 12);

    const qreal firstRow = 10 + 10.3 + 5.3;
    const TextItem *code = m.text(0, QStringLiteral("DetailText0"));
    EXPECT_NEAR(code->rect.center().x(), 10 + 12.6, 1e-6);
    EXPECT_NEAR(code->rect.top(), firstRow + 1.1, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("DetailText1"))->rect.left(), 10 + 27.3, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("DetailText2"))->rect.right(), 10 + 120.1, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("DetailText3"))->rect.right(), 10 + 160.3, 1e-6);
    EXPECT_EQ(m.text(0, QStringLiteral("DetailText3"))->text, QStringLiteral("2,500"));
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText3"), 1)->text, QString()) << "an empty cell prints nothing";
    EXPECT_NEAR(nth(m, 0, QStringLiteral("DetailText0"), 1)->rect.top(), firstRow + 5.3 + 1.1, 1e-6);
}

TEST(MonthPrintoutsPdf, WordsStandWhereTheLayoutPutsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const double tol = 0.5;

    TUrikakePrnForm receivables(QStringLiteral("2008年03月分"), receivableRows(2));
    const QString receivablesPdf = dir.filePath(QStringLiteral("urikake.pdf"));
    ASSERT_EQ(saveDocumentPdf(receivablesPdf, receivables.Run()), QString());
    const pdf_words::PdfText r = pdf_words::read(receivablesPdf);
    EXPECT_NEAR(r.widthMm, 210, tol);
    EXPECT_NEAR(r.heightMm, 297, tol);
    const qreal firstRow = 10 + 9.3 + 5.4 + 1.1;
    struct Expect {
        QString text;
        int occurrence;
        enum { LeftEdge, RightEdge, Middle } edge;
        double x, y;
    };
    const Expect inReceivables[] = {
        {QStringLiteral("2008年03月分"), 0, Expect::LeftEdge, 10, 10},
        {QStringLiteral("12,000"), 0, Expect::RightEdge, 10 + 125.1, firstRow},
        {QStringLiteral("12,001"), 0, Expect::RightEdge, 10 + 125.1, firstRow + 5.4},
        {QStringLiteral("24,001"), 0, Expect::RightEdge, 10 + 125.1, firstRow + 10.8},
        {QStringLiteral("1000"), 0, Expect::Middle, 10 + 21.9, firstRow},
        {QStringLiteral("VISA"), 1, Expect::Middle, 10 + 95.3, firstRow + 5.4},
        {QStringLiteral("合計"), 0, Expect::Middle, 10 + 6.0, firstRow + 10.8},
        {QStringLiteral("請求番号"), 0, Expect::Middle, 10 + 12.4 + 18.5 / 2, 10 + 9.3 + 1.1},
    };
    auto check = [&](const pdf_words::PdfText &pdf, const Expect &e) {
        SCOPED_TRACE(e.text.toStdString());
        const QList<pdf_words::Word> words = pdf.find(e.text);
        ASSERT_GT(words.size(), e.occurrence);
        const pdf_words::Word &w = words[e.occurrence];
        const double x = e.edge == Expect::LeftEdge ? w.xMin : e.edge == Expect::RightEdge ? w.xMax
                                                                                          : (w.xMin + w.xMax) / 2;
        EXPECT_NEAR(x, e.x, tol);
        EXPECT_NEAR(w.yMin, e.y, tol);
    };
    for (const Expect &e : inReceivables)
        check(r, e);

    TGetujioptPrinForm items(QStringLiteral("2008年03月分"), QStringLiteral("オプション明細"),
                             {{QStringLiteral("1601102"), QStringLiteral("ビール"), QStringLiteral("5"),
                               QStringLiteral("2500")},
                              {QString(), QStringLiteral("合計"), QStringLiteral("5"), QStringLiteral("2500")}});
    const QString itemsPdf = dir.filePath(QStringLiteral("opt.pdf"));
    ASSERT_EQ(saveDocumentPdf(itemsPdf, items.Run()), QString());
    const pdf_words::PdfText o = pdf_words::read(itemsPdf);
    const qreal row = 10 + 10.3 + 5.3 + 1.1;
    const Expect inItems[] = {
        {QStringLiteral("2008年03月分"), 0, Expect::LeftEdge, 11.6, 10.5},
        {QStringLiteral("1601102"), 0, Expect::Middle, 10 + 12.6, row},
        {QStringLiteral("ビール"), 0, Expect::LeftEdge, 10 + 27.3, row},
        {QStringLiteral("5"), 0, Expect::RightEdge, 10 + 120.1, row},
        {QStringLiteral("2,500"), 1, Expect::RightEdge, 10 + 160.3, row + 5.3},
        {QStringLiteral("料金計"), 0, Expect::Middle, 10 + 123.0 + 39.7 / 2, 10 + 10.3 + 1.1},
    };
    for (const Expect &e : inItems)
        check(o, e);
}

} // namespace
