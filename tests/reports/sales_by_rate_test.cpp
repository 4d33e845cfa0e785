// The daily sales report of a month with the standard and the reduced rate:
// the tax column by each bill's own rates, its heading, and the taxable
// sales and tax per rate below the totals, in the grid, the CSV and on paper.

#include "../printing/gui_test_env.h"
#include "two_rate_month.h"

#include "reports/getuji.h"
#include "reports/getuji_prin_form.h"
#include "reports/report_month.h"

#include <gtest/gtest.h>

using namespace printing;

namespace {

const ReportMonth kDecember(2026, 12);
constexpr int kBreakdown = reports::TotalsRow + 1; // the first row below the totals

TEST(SalesByRate, TheMonthsTaxAndItsBreakdownByRate)
{
    const struct {
        const char *name;
        uint8_t taxKubun;
        const char *heading;
    } cases[] = {{"tax added", 1, "消費税"}, {"tax included", 0, "内消費税"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const RateFigures f = twoRateFigures(c.taxKubun);
        const MonthGrid g = getujiMonth(twoRateMonth(c.taxKubun), kDecember);
        ASSERT_TRUE(g.error.isEmpty());
        // Two rates: the heading names none.
        EXPECT_EQ(g.headings[GTax], QString::fromUtf8(c.heading));
        ASSERT_EQ(g.rows.size(), std::size_t(kBreakdown + 2));
        const QString monthTax = QString::number(f.standardTax + f.reducedTax);
        EXPECT_EQ(cell(g, reports::TotalsRow, GTax), monthTax);
        EXPECT_EQ(cell(g, reports::TotalsRow, GCharges), QString::number(f.standardBase + f.reducedBase));
        // The 3rd holds bills 1 and 2, the 20th bill 3 (10 % of 12000, by the rule of each kind).
        EXPECT_EQ(cell(g, 19, GTax), c.taxKubun ? QStringLiteral("1200") : QStringLiteral("1090"));
        EXPECT_EQ(cell(g, 2, GTax).toLongLong() + cell(g, 19, GTax).toLongLong(), monthTax.toLongLong());

        const QStringList standard = {"10%対象", {}, {}, {}, {}, {}, {}, QString::number(f.standardBase),
                                      QString::number(f.standardTax), {}, {}, {}, {}, {}, {}};
        const QStringList reduced = {"8%対象", {}, {}, {}, {}, {}, {}, QString::number(f.reducedBase),
                                     QString::number(f.reducedTax), {}, {}, {}, {}, {}, {}};
        EXPECT_EQ(g.rows[kBreakdown], standard);
        EXPECT_EQ(g.rows[kBreakdown + 1], reduced);

        // The CSV holds the same rows after the totals.
        const QString csv = QString::fromUtf8(monthGridCsv(g));
        EXPECT_TRUE(csv.endsWith(QStringLiteral("\r\n%1\r\n%2\r\n").arg(standard.join(','), reduced.join(','))))
            << csv.right(200).toStdString();
    }
}

// A month of one rate names it in the heading and has no rows below the totals.
TEST(SalesByRate, AMonthOfOneRateNamesIt)
{
    AppData d = twoRateMonth(1);
    for (THojoKamoku &e : d.KamokuList[1])
        e.Keigen = 0;
    const MonthGrid g = getujiMonth(d, kDecember);
    EXPECT_EQ(g.headings[GTax], QStringLiteral("消費税10%"));
    EXPECT_EQ(g.rows.size(), std::size_t(kBreakdown));
    // 10 % of 31150 worked per bill: 1605 + 310 + 1200.
    EXPECT_EQ(cell(g, reports::TotalsRow, GTax), QStringLiteral("3115"));
    const PageModel m = TGetujiPrinForm(QStringLiteral("2026年12月分"), g.rows, g.headings[GTax]).Run();
    EXPECT_EQ(m.text(0, QStringLiteral("HeadingCaption8"))->text, QStringLiteral("消費税10%"));
    EXPECT_FALSE(m.text(0, QStringLiteral("Rate0Text0")));
    EXPECT_NEAR(m.rect(0, QStringLiteral("HeadingCell8"))->rect.height(), 5.3, 1e-9);
}

TEST(SalesByRate, ThePrintoutShowsTheBreakdownBelowTheFooting)
{
    const RateFigures f = twoRateFigures(1);
    const MonthGrid g = getujiMonth(twoRateMonth(1), kDecember);
    const PageModel m = TGetujiPrinForm(QStringLiteral("2026年12月分"), g.rows, g.headings[GTax]).Run();
    ASSERT_EQ(m.pages.size(), 1) << "the month stays on one page";
    EXPECT_EQ(m.text(0, QStringLiteral("HeadingCaption8"))->text, QStringLiteral("消費税"));
    // 31 days and the totals in the ruled grid, the rates below it.
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).size(), 32);
    EXPECT_EQ(m.texts(0, QStringLiteral("DetailText0")).last()->text, QStringLiteral("合計"));

    const RectItem *footing = m.rect(0, QStringLiteral("FootingCell7"));
    ASSERT_TRUE(footing);
    const struct { const char *label; int64_t base, tax; } rates[] = {
        {"10%対象", f.standardBase, f.standardTax}, {"8%対象", f.reducedBase, f.reducedTax}};
    qreal top = footing->rect.bottom();
    for (int r = 0; r < 2; ++r) {
        SCOPED_TRACE(r);
        const auto text = [&](int col) { return m.text(0, QStringLiteral("Rate%1Text%2").arg(r).arg(col)); };
        ASSERT_TRUE(text(0) && text(GCharges) && text(GTax));
        EXPECT_EQ(text(0)->text, QString::fromUtf8(rates[r].label));
        EXPECT_EQ(text(GCharges)->text, QLocale(QLocale::English).toString(qlonglong(rates[r].base)));
        EXPECT_EQ(text(GTax)->text, QLocale(QLocale::English).toString(qlonglong(rates[r].tax)));
        EXPECT_TRUE(text(GBathingTax)->text.isEmpty());
        // Under the charges and tax columns, each row below the one before, within the page.
        const RectItem *charges = m.rect(0, QStringLiteral("Rate%1Cell%2").arg(r).arg(GCharges));
        EXPECT_NEAR(charges->rect.left(), footing->rect.left(), 1e-9);
        EXPECT_GT(charges->rect.top(), top - 1e-9);
        EXPECT_GE(text(GTax)->rect.top(), charges->rect.top());
        EXPECT_LE(text(GTax)->rect.bottom(), charges->rect.bottom());
        top = charges->rect.bottom();
    }
    EXPECT_LE(top, m.setup.paperMm().height() - 10 + 1e-9);
}

} // namespace
