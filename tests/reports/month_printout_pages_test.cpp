// What every month printout promises on each of its pages: each border drawn
// once (no two parallel rules closer than half a millimetre), the column
// headings and "n / m" on every page; and what the bathing-tax statement
// owes the town hall: the inn's name, address and telephone, and no "0"
// beside blank cells.

#include "../printing/gui_test_env.h"
#include "../printing/page_checks.h"
#include "month_sample.h"
#include "two_rate_month.h"

#include "reports/getuji_prin_form.h"
#include "reports/getujiopt_prin_form.h"
#include "reports/nyutou_prin_form.h"
#include "reports/receivables.h"
#include "reports/urikake_prn_form.h"

#include <functional>
#include <gtest/gtest.h>

using namespace printing;

namespace {

const MonthSample &march()
{
    static const MonthSample s = marchSample();
    return s;
}

AppData marchData()
{
    return reportData(march().lines, march().cards, march().base);
}

TBaseData inn()
{
    TBaseData b = march().base;
    setFieldText(b.SisetuName, QStringLiteral("湯けむりの宿\r\n山水館\r\n"));
    setFieldText(b.ZipCode, QStringLiteral("419-0101"));
    setFieldText(b.Jusyo, QStringLiteral("静岡県田方郡函南町桑原1234-5"));
    setFieldText(b.TelNo, QStringLiteral("055-978-0000"));
    return b;
}

std::vector<QStringList> manyReceivables(int n)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("%1(水)").arg(1 + i % 28, 2, 10, QLatin1Char('0')), QString::number(1000 + i),
                        QStringLiteral("山田 太郎"), QStringLiteral("VISA"), QString::number(12000 + i)});
    rows.push_back({QStringLiteral("合計"), {}, {}, {}, QStringLiteral("1")});
    return rows;
}

std::vector<QStringList> manyItems(int n)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QString::number(1601101 + i), QStringLiteral("ビール"), QStringLiteral("2"), QStringLiteral("1000")});
    rows.push_back({QString(), QStringLiteral("合計"), QString::number(2 * n), QString::number(1000 * n)});
    return rows;
}

struct Printout {
    const char *name;
    std::function<PageModel()> run;
    const char *firstHeading; // a heading cell that heads every page
    int pages;
};

const QList<Printout> &printouts()
{
    static const QList<Printout> all = {
        {"bathing tax", [] { return TNyutouPrinForm(QStringLiteral("2008年03月分"), nyutouzeiMonth(marchData(), ReportMonth(2008, 3)).rows, inn()).Run(); },
         "DayHeadingCell0", 1},
        {"daily sales", [] { return TGetujiPrinForm(QStringLiteral("2008年03月分"), getujiMonth(marchData(), ReportMonth(2008, 3)).rows).Run(); },
         "HeadingCell0", 1},
        {"daily sales, two rates", [] {
             const MonthGrid g = getujiMonth(twoRateMonth(1), ReportMonth(2026, 12));
             return TGetujiPrinForm(QStringLiteral("2026年12月分"), g.rows, g.headings[GTax]).Run();
         },
         "HeadingCell0", 1},
        {"receivables", [] { return TUrikakePrnForm(QStringLiteral("2008年03月分"), receivablesMonth(marchData(), ReportMonth(2008, 3)).rows).Run(); },
         "HeadingCell0", 0},
        {"receivables, three pages", [] { return TUrikakePrnForm(QStringLiteral("2008年03月分"), manyReceivables(110)).Run(); },
         "HeadingCell0", 3},
        {"item sales, two pages", [] { return TGetujioptPrinForm(QStringLiteral("2008年03月分"), QStringLiteral("オプション明細"), manyItems(60)).Run(); },
         "HeadingCell0", 2},
    };
    return all;
}

TEST(MonthPrintoutPages, EveryBorderIsDrawnOnce)
{
    for (const Printout &p : printouts()) {
        SCOPED_TRACE(p.name);
        const PageModel m = p.run();
        for (int page = 0; page < m.pages.size(); ++page)
            for (const QString &close : page_checks::closeRules(m, page, 0.5))
                ADD_FAILURE() << close.toStdString();
    }
}

TEST(MonthPrintoutPages, EveryPageHasItsHeadingsAndItsNumber)
{
    for (const Printout &p : printouts()) {
        SCOPED_TRACE(p.name);
        const PageModel m = p.run();
        if (p.pages > 0) {
            EXPECT_EQ(m.pages.size(), p.pages);
        }
        const int count = int(m.pages.size());
        for (int page = 0; page < count; ++page) {
            SCOPED_TRACE(page);
            EXPECT_TRUE(m.rect(page, QLatin1String(p.firstHeading)));
            EXPECT_TRUE(m.text(page, QStringLiteral("TitleLabel")));
            const TextItem *number = m.text(page, QStringLiteral("PageNo"));
            ASSERT_TRUE(number);
            EXPECT_EQ(number->text, QStringLiteral("%1 / %2").arg(page + 1).arg(count));
            // At the top right, inside the margins.
            EXPECT_NEAR(number->rect.right(), m.setup.paperMm().width() - 10, 1e-6);
            EXPECT_LT(number->rect.bottom(), 10 + 10.3);
            // Nothing over anything.
            const QList<page_checks::Span> boxes = page_checks::inkBoxes(m, page);
            for (const QString &o : page_checks::overlappingTexts(boxes))
                ADD_FAILURE() << o.toStdString();
        }
    }
}

TEST(MonthPrintoutPages, BathingTaxStatementNamesTheInnAndPrintsNoZeros)
{
    const std::vector<QStringList> rows = nyutouzeiMonth(marchData(), ReportMonth(2008, 3)).rows;
    const PageModel m = TNyutouPrinForm(QStringLiteral("2008年03月分"), rows, inn()).Run();
    EXPECT_EQ(m.text(0, QStringLiteral("FacilityName"))->text, QStringLiteral("湯けむりの宿 山水館"));
    EXPECT_EQ(m.text(0, QStringLiteral("FacilityAddress"))->text, QStringLiteral("〒419-0101 静岡県田方郡函南町桑原1234-5"));
    EXPECT_EQ(m.text(0, QStringLiteral("FacilityTel"))->text, QStringLiteral("TEL:055-978-0000"));
    // Beside the month, clear of the headings (which end at 126.3 mm).
    const TextItem *title = m.text(0, QStringLiteral("TitleLabel"));
    for (const char *name : {"FacilityName", "FacilityAddress", "FacilityTel"}) {
        const TextItem *t = m.text(0, QLatin1String(name));
        EXPECT_GT(t->rect.left(), 10 + 126.3) << name;
        EXPECT_LT(t->rect.bottom(), 10 + 9.5 + 5.3) << name;
        EXPECT_GT(t->rect.left(), title->rect.right()) << name;
    }

    // 人数計 of a day with guests but no exemptions is 0 in the window and
    // nothing on paper.
    const std::vector<QStringList> adults =
        bathing(lineList({billLine(1, "2008/03/06", "2008/03/05", 1601001, 12000, 2)}), reportSettings(), 2008, 3).rows;
    ASSERT_EQ(adults[4][7], QStringLiteral("0"));
    const PageModel one = TNyutouPrinForm(QStringLiteral("2008年03月分"), adults, inn()).Run();
    const QList<const TextItem *> persons = one.texts(0, QStringLiteral("DetailText1"));
    const QList<const TextItem *> exempt = one.texts(0, QStringLiteral("DetailText7"));
    ASSERT_EQ(exempt.size(), 32);
    EXPECT_EQ(persons[4]->text, QStringLiteral("2"));
    EXPECT_EQ(exempt[4]->text, QString());
    EXPECT_EQ(exempt[31]->text, QString()) << "nor on the totals row";

    // Without facility fields the header prints nothing for them.
    const PageModel bare = TNyutouPrinForm(QStringLiteral("2008年03月分"), rows).Run();
    EXPECT_EQ(bare.text(0, QStringLiteral("FacilityTel"))->text, QString());
    EXPECT_EQ(bare.text(0, QStringLiteral("FacilityAddress"))->text, QString());
}

} // namespace
