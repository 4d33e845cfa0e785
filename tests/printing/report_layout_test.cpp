// The banded report layer without pixels: paper sizes, band order, page
// breaks, page numbers, texts asked for when their band prints, sizes of
// labels and pictures, and the fonts they map to.

#include "gui_test_env.h"

#include "printing/fonts.h"
#include "printing/report.h"

#include <QFontInfo>
#include <QImage>
#include <gtest/gtest.h>

using namespace printing;

namespace {

TEST(ReportLayout, PaperSizesAndOrientation)
{
    struct Case {
        const char *name;
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
        qreal width, height;
    };
    const Case cases[] = {
        {"A4 portrait", QPageSize::A4, QPageLayout::Portrait, 210, 297},
        {"A4 landscape", QPageSize::A4, QPageLayout::Landscape, 297, 210},
        {"A5 portrait", QPageSize::A5, QPageLayout::Portrait, 148, 210},
        {"B5 (JIS) portrait", QPageSize::JisB5, QPageLayout::Portrait, 182, 257},
        {"B5 (JIS) landscape", QPageSize::JisB5, QPageLayout::Landscape, 257, 182},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PageSetup setup;
        setup.size = c.size;
        setup.orientation = c.orientation;
        EXPECT_NEAR(setup.paperMm().width(), c.width, 0.01);
        EXPECT_NEAR(setup.paperMm().height(), c.height, 0.01);
        // A footer band lies on the bottom margin whatever the paper.
        Report r;
        r.page = setup;
        r.page.bottomMm = 12;
        r.pageFooter.height = 8;
        r.pageFooter.add(ReportItem::rect(QStringLiteral("Foot"), 0, 0, 10, 8, Pen{}));
        const PageModel m = r.layout();
        ASSERT_EQ(m.pages.size(), 1);
        EXPECT_NEAR(m.rect(0, QStringLiteral("Foot"))->rect.bottom(), c.height - 12, 1e-6);
    }
}

// A report of n rows, each 10 mm, on A5 with 10 mm margins: 190 mm of band
// space, 20 + 5 mm of header bands and 15 mm of footer.
struct Rows {
    int count;
    int next = 0;
    QStringList log;
    Report report;

    explicit Rows(int n) : count(n)
    {
        report.page.size = QPageSize::A5;
        report.pageHeader.height = 20;
        report.pageHeader.add(ReportItem::label(QStringLiteral("Head"), 0, 0, font(QString(), 10))).supply = [this] {
            log << QStringLiteral("head");
            return QStringLiteral("Head");
        };
        report.title.height = 15;
        report.title.add(ReportItem::label(QStringLiteral("Title"), 0, 0, font(QString(), 10))).text =
            QStringLiteral("Title");
        report.columnHeader.height = 5;
        report.columnHeader.add(ReportItem::label(QStringLiteral("Cols"), 0, 0, font(QString(), 8))).text =
            QStringLiteral("Cols");
        report.detail.height = 10;
        report.detail.add(ReportItem::label(QStringLiteral("Row"), 2, 1, font(QString(), 9))).supply = [this] {
            log << QStringLiteral("row %1").arg(next);
            return QStringLiteral("row %1").arg(next);
        };
        report.detail.afterPrint = [this] { ++next; };
        report.moreRows = [this] { return next < count; };
        report.pageFooter.height = 15;
        report.pageFooter.add(ReportItem::pageNumber(QStringLiteral("No"), 128, 0, font(QString(), 8),
                                                     [](int p, int n) { return QStringLiteral("%1 of %2").arg(p).arg(n); },
                                                     true));
        report.pageFooter.afterPrint = [this] { log << QStringLiteral("foot"); };
        report.summary.height = 30;
        report.summary.add(ReportItem::label(QStringLiteral("Sum"), 0, 0, font(QString(), 10))).text =
            QStringLiteral("Sum");
    }
};

TEST(ReportLayout, BandsFlowDownThePagesAndBreakBeforeTheFooter)
{
    // Page 1: 20 + 15 + 5 of header bands leave 135 mm above the footer: 13 rows.
    // Later pages: 20 + 5 leave 150 mm: 15 rows.
    Rows r(30);
    const PageModel m = r.report.layout();
    ASSERT_EQ(m.pages.size(), 3);
    const int perPage[] = {13, 15, 2};
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(m.texts(p, QStringLiteral("Row")).size(), perPage[p]);
        EXPECT_NE(m.text(p, QStringLiteral("Head")), nullptr);
        EXPECT_NE(m.text(p, QStringLiteral("Cols")), nullptr);
        EXPECT_EQ(m.text(p, QStringLiteral("Title")) != nullptr, p == 0) << "title on the first page only";
        EXPECT_EQ(m.text(p, QStringLiteral("No"))->text, QStringLiteral("%1 of 3").arg(p + 1));
        EXPECT_NEAR(m.text(p, QStringLiteral("No"))->rect.right(), 10 + 128, 1e-6);
    }
    EXPECT_NEAR(m.text(0, QStringLiteral("Title"))->rect.top(), 10 + 20, 1e-6);
    EXPECT_NEAR(m.text(0, QStringLiteral("Row"))->rect.top(), 10 + 20 + 15 + 5 + 1, 1e-6);
    EXPECT_NEAR(m.text(1, QStringLiteral("Row"))->rect.top(), 10 + 20 + 5 + 1, 1e-6);
    // The 15th row's band ends exactly where the footer starts.
    EXPECT_NEAR(m.texts(1, QStringLiteral("Row")).last()->rect.top() - 1 + 10, 210 - 10 - 15, 1e-6);
    EXPECT_EQ(m.texts(2, QStringLiteral("Row")).last()->text, QStringLiteral("row 29"));
    EXPECT_NE(m.text(2, QStringLiteral("Sum")), nullptr) << "the summary follows the last row";

    // Texts are asked for once, in print order: header, rows, footer.
    EXPECT_EQ(r.log.first(), QStringLiteral("head"));
    EXPECT_EQ(r.log[1], QStringLiteral("row 0"));
    EXPECT_EQ(r.log[14], QStringLiteral("foot"));
    EXPECT_EQ(r.log[15], QStringLiteral("head"));
    EXPECT_EQ(r.log.count(QStringLiteral("foot")), 3);
}

TEST(ReportLayout, SummaryThatDoesNotFitGoesToANewPage)
{
    Rows r(13 + 14); // page 2 holds 14 rows: 10 mm left, the summary needs 30
    const PageModel m = r.report.layout();
    ASSERT_EQ(m.pages.size(), 3);
    EXPECT_EQ(m.texts(2, QStringLiteral("Row")).size(), 0);
    EXPECT_NEAR(m.text(2, QStringLiteral("Sum"))->rect.top(), 10 + 20 + 5, 1e-6);

    Rows none(0);
    const PageModel empty = none.report.layout();
    ASSERT_EQ(empty.pages.size(), 1);
    EXPECT_EQ(empty.text(0, QStringLiteral("No"))->text, QStringLiteral("1 of 1"));
}

TEST(ReportLayout, LastPagePaddedWithEmptyRowsToItsFoot)
{
    struct Case {
        const char *name;
        int rows;
        int pages;
        int rowsOnLastPage;
    };
    const Case cases[] = {
        {"three rows", 3, 1, 13},
        {"second page begun", 14, 2, 15},
        {"no rows at all", 0, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rows r(c.rows);
        r.report.summary = Band{};
        r.report.padLastPage = true;
        int padding = 0;
        r.report.detail.afterPrint = [&] {
            if (r.next < r.count)
                ++r.next;
            else
                ++padding;
        };
        const PageModel m = r.report.layout();
        ASSERT_EQ(m.pages.size(), c.pages);
        EXPECT_EQ(m.texts(c.pages - 1, QStringLiteral("Row")).size(), c.rowsOnLastPage);
        EXPECT_EQ(padding, c.rows ? c.rowsOnLastPage - (c.rows - (c.pages - 1) * 13) : 0);
    }
}

TEST(ReportLayout, BandsSkippedOnRequestAndHiddenItemsLeftOut)
{
    Rows r(4);
    r.report.detail.beforePrint = [&r] {
        if (r.next % 2 == 1) { // odd rows are skipped, but still counted
            ++r.next;
            return false;
        }
        return true;
    };
    r.report.item(QStringLiteral("Title"))->visible = false;
    const PageModel m = r.report.layout();
    QStringList rows;
    for (const TextItem *t : m.texts(0, QStringLiteral("Row")))
        rows << t->text;
    EXPECT_EQ(rows, (QStringList{QStringLiteral("row 0"), QStringLiteral("row 2")}));
    EXPECT_EQ(m.text(0, QStringLiteral("Title")), nullptr);
    // The title band keeps its height.
    EXPECT_NEAR(m.text(0, QStringLiteral("Row"))->rect.top(), 10 + 20 + 15 + 5 + 1, 1e-6);
}

TEST(ReportLayout, LabelEdgesWidthsAndWrapping)
{
    Report r;
    r.page.size = QPageSize::A4;
    r.page.leftMm = 20;
    r.page.topMm = 10;
    r.title.height = 40;
    const FontSpec f = font(QString(), 10);
    r.title.add(ReportItem::label(QStringLiteral("L"), 5, 1, f)).text = QStringLiteral("左寄せ");
    r.title.add(ReportItem::rightLabel(QStringLiteral("R"), 100, 1, f)).text = QStringLiteral("1,234");
    r.title.add(ReportItem::centred(QStringLiteral("C"), 30, 40, 1, f)).text = QStringLiteral("中央");
    ReportItem memo = ReportItem::memo(QStringLiteral("M"), 0, 10, 30, f);
    memo.text = QStringLiteral("一行目\n二行目");
    r.title.add(memo);
    ReportItem wrapped = ReportItem::memo(QStringLiteral("W"), 0, 25, 20, f);
    wrapped.text = QStringLiteral("とても長い説明文は枠の幅で折り返されます");
    r.title.add(wrapped);
    const PageModel m = r.layout();
    const TextMeasure measure;

    const TextItem *l = m.text(0, QStringLiteral("L"));
    EXPECT_NEAR(l->rect.left(), 25, 1e-6);
    EXPECT_NEAR(l->rect.top(), 11, 1e-6);
    EXPECT_NEAR(l->rect.width(), measure.width(f, QStringLiteral("左寄せ")), 1e-6);
    EXPECT_NEAR(l->rect.width(), 3 * 10 * 25.4 / 72, 0.2) << "three full-width characters at 10 pt";
    const TextItem *right = m.text(0, QStringLiteral("R"));
    EXPECT_NEAR(right->rect.right(), 120, 1e-6);
    EXPECT_TRUE(right->align & Qt::AlignRight);
    const TextItem *c = m.text(0, QStringLiteral("C"));
    EXPECT_NEAR(c->rect.left(), 50, 1e-6);
    EXPECT_NEAR(c->rect.width(), 40, 1e-6);
    EXPECT_TRUE(c->align & Qt::AlignHCenter);
    const TextItem *memoItem = m.text(0, QStringLiteral("M"));
    EXPECT_NEAR(memoItem->rect.height(), 2 * measure.lineHeight(f), 0.3);
    const TextItem *w = m.text(0, QStringLiteral("W"));
    EXPECT_TRUE(w->wrap);
    EXPECT_GE(w->rect.height(), 2.9 * measure.lineHeight(f)) << "20 characters in 20 mm take three lines";
}

TEST(ReportLayout, ShapesAndPictures)
{
    Report r;
    r.page.size = QPageSize::A5;
    r.page.leftMm = 10;
    r.page.topMm = 10;
    r.title.height = 50;
    const Pen dashed{Qt::red, 0.3, PenStyle::Dash};
    r.title.add(ReportItem::rect(QStringLiteral("Box"), 1, 2, 30, 10, dashed, QColor(Qt::yellow)));
    r.title.add(ReportItem::hline(QStringLiteral("H"), 0, 20, 50, 4, Pen{}));
    r.title.add(ReportItem::vline(QStringLiteral("V"), 60, 0, 2, 8, Pen{}));
    QImage big(400, 50, QImage::Format_RGB32);
    big.fill(Qt::blue);
    r.title.add(ReportItem::picture(QStringLiteral("Big"), 0, 30, 50, 20, big));
    QImage small(96, 48, QImage::Format_RGB32);
    small.fill(Qt::green);
    r.title.add(ReportItem::picture(QStringLiteral("Small"), 60, 30, 50, 20, small));
    const PageModel m = r.layout();

    const RectItem *box = m.rect(0, QStringLiteral("Box"));
    EXPECT_EQ(box->rect, QRectF(11, 12, 30, 10));
    EXPECT_EQ(box->pen->style, PenStyle::Dash);
    EXPECT_EQ(box->fill, QColor(Qt::yellow));
    const LineItem *h = m.line(0, QStringLiteral("H"));
    EXPECT_EQ(h->from, QPointF(10, 32));
    EXPECT_EQ(h->to, QPointF(60, 32));
    const LineItem *v = m.line(0, QStringLiteral("V"));
    EXPECT_EQ(v->from, QPointF(71, 10));
    EXPECT_EQ(v->to, QPointF(71, 18));
    // Pictures at 96 dpi: one inch is 96 pixels; beyond the box they are cut.
    const ImageItem *cut = m.image(0, QStringLiteral("Big"));
    EXPECT_EQ(cut->image.width(), 188); // 50 mm
    EXPECT_EQ(cut->image.height(), 50);
    EXPECT_NEAR(cut->rect.width(), 188 * 25.4 / 96, 1e-6);
    const ImageItem *own = m.image(0, QStringLiteral("Small"));
    EXPECT_EQ(own->rect, QRectF(70, 40, 25.4, 12.7));
}

TEST(Fonts, WindowsFacesMapOntoTheIpaFaces)
{
    struct Case {
        QString name, face;
    };
    const Case cases[] = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("IPAMincho"), QStringLiteral("IPAMincho")},
        {QString(), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＨＧ創英角ﾎﾟｯﾌﾟ体"), QStringLiteral("IPAPGothic")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(resolveFace(c.name), c.face);
    }
    // Every face a layout names ends up in a real IPA font, Latin letters too.
    for (const QString &face : {kPGothic, kGothic, kMincho, kPMincho}) {
        const QFontInfo info{QFont(face)};
        EXPECT_TRUE(info.family().startsWith(QStringLiteral("IPA"))) << info.family().toStdString();
    }
    EXPECT_TRUE(QFontInfo(qfont(font(kMincho, 11))).family() == QStringLiteral("IPAMincho"));
}

} // namespace

// Wrapped text breaks between words: at blanks, around a bracketed group
// (one word however many characters it holds), between Japanese phrases;
// inside a word only when the word alone is wider than a line, and then
// nothing is lost.
TEST(Fonts, WrappedLinesBreakBetweenWords)
{
    installFontSubstitutions();
    const TextMeasure m;
    const FontSpec f = font(kPGothic, 9);
    const struct {
        QString text;
        QStringList lines; // the widest line sets the width (a hair wider)
    } cases[] = {
        {QStringLiteral("立替金及び宿泊税(4名泊×400円)"), {QStringLiteral("立替金及び宿泊税"), QStringLiteral("(4名泊×400円)")}},
        {QStringLiteral("立替金及び入湯税(2名×150円×2泊)"), {QStringLiteral("立替金及び入湯税"), QStringLiteral("(2名×150円×2泊)")}},
        {QStringLiteral("Advance&Accommodation Tax(4psn-nights * JPY400)"),
         {QStringLiteral("Advance&Accommodation Tax"), QStringLiteral("(4psn-nights * JPY400)")}},
        {QStringLiteral("ご宿泊代金及びご飲食代として"), {QStringLiteral("ご宿泊代金及び"), QStringLiteral("ご飲食代として")}},
        {QStringLiteral("Maximilian Alexander Fitzgerald-Montgomery"),
         {QStringLiteral("Maximilian Alexander Fitzgerald-"), QStringLiteral("Montgomery")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        qreal width = 0;
        for (const QString &line : c.lines)
            width = std::max(width, m.width(f, line) + 0.3);
        EXPECT_EQ(m.wrapLines(f, c.text, width), c.lines);
        EXPECT_NEAR(m.size(f, c.text, width, true).height(), m.size(f, c.lines.join(QLatin1Char('\n')), 0, false).height(),
                    1e-6);
    }
    // A word wider than a line breaks inside it, and keeps every character.
    const QString url = QStringLiteral("https://www.yukemuri-sansuikan-ryokan.example.co.jp/index.html");
    const QStringList pieces = m.wrapLines(f, url, 20);
    EXPECT_GT(pieces.size(), 2);
    EXPECT_EQ(pieces.join(QString()), url);
    for (const QString &p : pieces)
        EXPECT_LE(m.width(f, p), 20 + 1e-6) << p.toStdString();
}
