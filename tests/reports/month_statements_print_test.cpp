// The bathing-tax statement and the daily sales report on paper, filled from
// a month of realistic data: where the page model puts cells and texts, and
// that the PDF's words stand within half a millimetre of those places.

#include "../printing/gui_test_env.h"
#include "month_sample.h"
#include "pdf_words.h"

#include "printing/renderer.h"
#include "reports/getuji_prin_form.h"
#include "reports/nyutou_prin_form.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace printing;

namespace {

const MonthSample &sample()
{
    static const MonthSample s = marchSample();
    return s;
}

std::vector<QStringList> bathingRows()
{
    return nyutouzeiMonth(reportData(sample().lines, sample().cards, sample().base), ReportMonth(2008, 3)).rows;
}

std::vector<QStringList> salesRows()
{
    return getujiMonth(reportData(sample().lines, sample().cards, sample().base), ReportMonth(2008, 3)).rows;
}

const TextItem *nth(const PageModel &m, int page, const QString &name, int n)
{
    const QList<const TextItem *> all = m.texts(page, name);
    return n < all.size() ? all[n] : nullptr;
}

QList<const RectItem *> rects(const PageModel &m, int page, const QString &name)
{
    QList<const RectItem *> out;
    for (const PageItem &item : m.pages[page].items)
        if (const auto *r = std::get_if<RectItem>(&item); r && r->name == name)
            out.append(r);
    return out;
}

// Grouped as the printout shows a number.
QString grouped(const QString &cell) { return QLocale(QLocale::English).toString(cell.toLongLong()); }

struct Cell { const char *name; qreal left, top, width, height; const char *caption; };

TEST(NyutouPrinForm, TitleTwoLevelHeadingAndThirtyTwoRows)
{
    const std::vector<QStringList> rows = bathingRows();
    TNyutouPrinForm form(QStringLiteral("2008年03月分"), rows);
    const PageModel m = form.Run();
    ASSERT_EQ(m.pages.size(), 1);
    EXPECT_EQ(m.setup.size, QPageSize::A4);
    EXPECT_EQ(m.setup.orientation, QPageLayout::Portrait);

    const TextItem *title = m.text(0, QStringLiteral("TitleLabel"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, QStringLiteral("2008年03月分入湯税納入明細"));
    EXPECT_EQ(title->font.pointSize, 18);
    EXPECT_NEAR(title->rect.left(), 10 + 1.1, 1e-6);
    EXPECT_NEAR(title->rect.top(), 10 + 1.1, 1e-6);

    const Cell heads[] = {
        {"DayHeadingCell0", 0.0, 9.5, 13.0, 10.6, "日"},
        {"UpperHeadingCell0", 12.7, 9.5, 35.2, 5.3, "宿泊"},
        {"UpperHeadingCell1", 47.9, 9.5, 35.2, 5.3, "日帰り"},
        {"UpperHeadingCell2", 83.1, 9.5, 43.1, 5.3, "課税免除"},
        {"LowerHeadingCell0", 12.7, 14.8, 14.6, 5.3, "人数"},
        {"LowerHeadingCell1", 27.0, 14.8, 20.9, 5.3, "金額"},
        {"LowerHeadingCell2", 47.9, 14.8, 14.6, 5.3, "人数"},
        {"LowerHeadingCell3", 62.2, 14.8, 20.9, 5.3, "金額"},
        {"LowerHeadingCell4", 83.1, 14.8, 14.6, 5.3, "12歳未満"},
        {"LowerHeadingCell5", 97.4, 14.8, 14.6, 5.3, "他免除"},
        {"LowerHeadingCell6", 111.7, 14.8, 14.6, 5.3, "人数計"},
    };
    for (const Cell &h : heads) {
        SCOPED_TRACE(h.name);
        const RectItem *cell = m.rect(0, QLatin1String(h.name));
        ASSERT_TRUE(cell);
        EXPECT_NEAR(cell->rect.left(), 10 + h.left, 1e-6);
        EXPECT_NEAR(cell->rect.top(), 10 + h.top, 1e-6);
        EXPECT_NEAR(cell->rect.width(), h.width, 1e-6);
        EXPECT_NEAR(cell->rect.height(), h.height, 1e-6);
        EXPECT_EQ(cell->fill, QColor(0xF3, 0xFF, 0xFF)); // 16776947
        QString captionName = QLatin1String(h.name);
        captionName.replace(QStringLiteral("Cell"), QStringLiteral("Caption"));
        const TextItem *caption = m.text(0, captionName);
        ASSERT_TRUE(caption);
        EXPECT_EQ(caption->text, QString::fromUtf8(h.caption));
        EXPECT_TRUE(caption->font.bold);
        EXPECT_EQ(caption->font.pointSize, 9);
    }

    // 31 day rows and the totals row, 5.3 mm apart under the 20.1 mm title band.
    EXPECT_EQ(rects(m, 0, QStringLiteral("DetailCell0")).size(), 32);
    const qreal first = 10 + 20.1;
    const qreal rights[] = {0, 12.7 + 14.6, 27.0 + 20.9, 47.9 + 14.6, 62.2 + 20.9, 83.1 + 14.6, 97.4 + 14.6, 111.7 + 14.6};
    for (int r : {0, 17, 31}) {
        SCOPED_TRACE(r);
        EXPECT_NEAR(rects(m, 0, QStringLiteral("DetailCell0"))[r]->rect.top(), first + 5.3 * r, 1e-6);
        EXPECT_FALSE(rects(m, 0, QStringLiteral("DetailCell3"))[r]->fill.has_value());
        const TextItem *day = nth(m, 0, QStringLiteral("DetailText0"), r);
        EXPECT_EQ(day->text, rows[r][0]);
        EXPECT_NEAR(day->rect.center().x(), 10 + 6.5, 1e-6);
        EXPECT_NEAR(day->rect.top(), first + 5.3 * r + 1.0, 1e-6);
        for (int c = 1; c < 8; ++c) {
            const TextItem *t = nth(m, 0, QStringLiteral("DetailText%1").arg(c), r);
            ASSERT_TRUE(t);
            // A zero prints nothing, like an empty cell.
            EXPECT_EQ(t->text, rows[r][c].toLongLong() == 0 ? QString() : grouped(rows[r][c]));
            EXPECT_NEAR(t->rect.right(), 10 + rights[c] - 2.0, 1e-6);
        }
    }
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText0"), 31)->text, QStringLiteral("合計"));
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText2"), 31)->text, grouped(rows[31][2]));
    EXPECT_TRUE(rows[31][2].toLongLong() >= 1000) << "the sample's totals show the grouping";
}

TEST(NyutouPrinForm, ShortMonthStillPrintsThirtyTwoRows)
{
    const std::vector<QStringList> rows =
        nyutouzeiMonth(reportData({}, {}, reportSettings()), ReportMonth(2007, 2)).rows;
    TNyutouPrinForm form(QStringLiteral("2007年02月分"), rows);
    const PageModel m = form.Run();
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).size(), 32);
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText0"), 28)->text, QString());
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText0"), 31)->text, QStringLiteral("合計"));
}

TEST(GetujiPrinForm, HeaderHeadingsRowsAndFooting)
{
    const std::vector<QStringList> rows = salesRows();
    TGetujiPrinForm form(QStringLiteral("2008年03月分"), rows);
    const PageModel m = form.Run();
    ASSERT_EQ(m.pages.size(), 1);
    EXPECT_EQ(m.setup.orientation, QPageLayout::Landscape);
    const TextItem *title = m.text(0, QStringLiteral("TitleLabel"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, QStringLiteral("2008年03月分　売上集計表"));
    EXPECT_NEAR(title->rect.left(), 10, 1e-6);
    EXPECT_NEAR(title->rect.top(), 10, 1e-6);

    // The day, then fourteen figures of 18.8 mm across the page.
    const char *captions[] = {"日",     "大人宿泊", "宿泊(他)", "日帰り", "オプション", "ｻｰﾋﾞｽ料", "値引き", "料金計",
                              "消費税", "入湯税",   "立替金",   "利用金額", "前受金",   "現金入金", "売掛金"};
    struct Col { const char *caption; qreal left, width; };
    std::vector<Col> cols{{captions[0], 0.0, 12.4}};
    for (int c = 1; c < 15; ++c)
        cols.push_back({captions[c], 12.4 + 18.8 * (c - 1), 18.8});
    const qreal headTop = 10 + 9.0;
    // The title stands clear of the heading row.
    EXPECT_LE(title->rect.bottom(), headTop - 0.5);
    const qreal first = headTop + 5.3;
    const qreal footTop = first + 32 * 5.3;
    for (int c = 0; c < 15; ++c) {
        SCOPED_TRACE(c);
        for (const auto &[prefix, top] : {std::pair{QStringLiteral("Heading"), headTop},
                                          std::pair{QStringLiteral("Footing"), footTop}}) {
            const RectItem *cell = m.rect(0, prefix + QStringLiteral("Cell%1").arg(c));
            ASSERT_TRUE(cell);
            EXPECT_NEAR(cell->rect.left(), 10 + cols[c].left, 1e-6);
            EXPECT_NEAR(cell->rect.width(), cols[c].width, 1e-6);
            EXPECT_NEAR(cell->rect.top(), top, 1e-6);
            EXPECT_NEAR(cell->rect.height(), 5.3, 1e-6);
            EXPECT_EQ(cell->fill, QColor(0xF3, 0xFF, 0xFF));
            EXPECT_EQ(m.text(0, prefix + QStringLiteral("Caption%1").arg(c))->text, QString::fromUtf8(cols[c].caption));
        }
        EXPECT_EQ(rects(m, 0, QStringLiteral("DetailCell%1").arg(c)).size(), 32);
        for (int r : {0, 12, 31}) {
            const TextItem *t = nth(m, 0, QStringLiteral("DetailText%1").arg(c), r);
            ASSERT_TRUE(t);
            // A figure too wide for its cell is shrunk and stays centred on its line.
            EXPECT_NEAR(t->rect.top(), first + 5.3 * r + 1.1, t->font.pointSize < 9 ? 1.0 : 1e-6);
            if (c == 0) {
                EXPECT_EQ(t->text, rows[r][0]);
                EXPECT_NEAR(t->rect.center().x(), 10 + 6.2, 1e-6);
            } else {
                EXPECT_EQ(t->text, rows[r][c].isEmpty() ? QString() : grouped(rows[r][c]));
                EXPECT_NEAR(t->rect.right(), 10 + cols[c].left + 18.8 - 1.0, 1e-6);
            }
        }
        // The totals print no smaller than the days.
        if (c > 0)
            for (int r = 0; r < 31; ++r)
                EXPECT_GE(nth(m, 0, QStringLiteral("DetailText%1").arg(c), 31)->font.pointSize,
                          nth(m, 0, QStringLiteral("DetailText%1").arg(c), r)->font.pointSize);
    }
    // Day use is printed grouped too, although the window shows it plain.
    EXPECT_EQ(nth(m, 0, QStringLiteral("DetailText3"), 31)->text, grouped(rows[31][3]));
}

TEST(MonthStatementsPdf, WordsStandWhereTheLayoutPutsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    const double tol = 0.5;
    struct Expect {
        QString text;
        int occurrence;
        enum { LeftEdge, RightEdge, Middle } edge;
        double x, y;
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

    const std::vector<QStringList> b = bathingRows();
    TNyutouPrinForm bathing(QStringLiteral("2008年03月分"), b);
    const QString bathingPdf = dir.filePath(QStringLiteral("nyutou.pdf"));
    ASSERT_EQ(saveDocumentPdf(bathingPdf, bathing.Run()), QString());
    const pdf_words::PdfText p = pdf_words::read(bathingPdf);
    EXPECT_EQ(p.pages, 1);
    EXPECT_NEAR(p.widthMm, 210, tol);
    EXPECT_NEAR(p.heightMm, 297, tol);
    const qreal row = 10 + 20.1 + 1.0;
    const Expect inBathing[] = {
        {QStringLiteral("2008年03月分入湯税納入明細"), 0, Expect::LeftEdge, 11.1, 11.1},
        {QStringLiteral("1(土)"), 0, Expect::Middle, 10 + 6.5, row},
        {grouped(b[0][2]), 0, Expect::RightEdge, 10 + 27.0 + 20.9 - 2.0, row},
        {QStringLiteral("合計"), 0, Expect::Middle, 10 + 6.5, row + 31 * 5.3},
        {grouped(b[31][1]), 0, Expect::RightEdge, 10 + 12.7 + 14.6 - 2.0, row + 31 * 5.3},
        {grouped(b[31][2]), 0, Expect::RightEdge, 10 + 27.0 + 20.9 - 2.0, row + 31 * 5.3},
        {QStringLiteral("課税免除"), 0, Expect::Middle, 10 + 83.1 + 43.1 / 2, 10 + 9.5 + 1.0},
        {QStringLiteral("人数計"), 0, Expect::Middle, 10 + 111.7 + 14.6 / 2, 10 + 14.8 + 1.0},
    };
    for (const Expect &e : inBathing)
        check(p, e);

    const std::vector<QStringList> s = salesRows();
    TGetujiPrinForm sales(QStringLiteral("2008年03月分"), s);
    const QString salesPdf = dir.filePath(QStringLiteral("getuji.pdf"));
    ASSERT_EQ(saveDocumentPdf(salesPdf, sales.Run()), QString());
    const pdf_words::PdfText g = pdf_words::read(salesPdf);
    EXPECT_EQ(g.pages, 1);
    EXPECT_NEAR(g.widthMm, 297, tol);
    EXPECT_NEAR(g.heightMm, 210, tol);
    const qreal first = 10 + 9.0 + 5.3 + 1.1;
    const PageModel salesModel = sales.Run();
    const qreal shrunkTotal = nth(salesModel, 0, QStringLiteral("DetailText7"), 31)->rect.top();
    const qreal shrunkCards = nth(salesModel, 0, QStringLiteral("DetailText14"), 31)->rect.top();
    const Expect inSales[] = {
        {QStringLiteral("2008年03月分"), 0, Expect::LeftEdge, 10, 10},
        {QStringLiteral("料金計"), 0, Expect::Middle, 10 + 12.4 + 6 * 18.8 + 18.8 / 2, 10 + 9.0 + 1.1},
        {QStringLiteral("料金計"), 1, Expect::Middle, 10 + 12.4 + 6 * 18.8 + 18.8 / 2, first + 32 * 5.3},
        {grouped(s[31][7]), 0, Expect::RightEdge, 10 + 12.4 + 7 * 18.8 - 1.0, shrunkTotal},
        {grouped(s[31][14]), 0, Expect::RightEdge, 10 + 12.4 + 14 * 18.8 - 1.0, shrunkCards},
        {QStringLiteral("合計"), 0, Expect::Middle, 10 + 6.2, first + 31 * 5.3},
        {QStringLiteral("1(土)"), 0, Expect::Middle, 10 + 6.2, first},
    };
    for (const Expect &e : inSales)
        check(g, e);
    if (const QString out = qEnvironmentVariable("NORVEL_SHOTS"); !out.isEmpty()) {
        QFile::copy(bathingPdf, out + QStringLiteral("/nyutou.pdf"));
        QFile::copy(salesPdf, out + QStringLiteral("/getuji.pdf"));
    }
}

} // namespace
