// The register on paper: the list (columns by the fields the inn keeps, rows
// that grow with a long address, headings and "n / m" on every page) and the
// recovery key sheet.

#include "gui_test_env.h"
#include "page_checks.h"
#include "printing/register_documents.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace printing;

namespace {

const QDate kFrom(2026, 12, 1);
const QDate kTo(2026, 12, 31);
const QString kInn = QStringLiteral("湯の宿 はなみずき");

std::vector<RegisterEntry> guests(int count)
{
    std::vector<RegisterEntry> out;
    for (int i = 0; i < count; ++i) {
        RegisterEntry e;
        e.id = quint64(i + 1);
        e.meiNo = quint32(1000 + i);
        e.room = QStringLiteral("%1号").arg(201 + i % 8);
        e.firstNight = kFrom.addDays(i % 28);
        e.nights = 1 + i % 3;
        e.name = QStringLiteral("宿泊 太郎%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        e.reading = QStringLiteral("シュクハク タロウ");
        e.address = QStringLiteral("静岡県伊東市中央町1-%1").arg(i + 1);
        e.contact = QStringLiteral("0557-37-%1").arg(1000 + i);
        out.push_back(e);
    }
    return out;
}

QStringList pageTexts(const PageModel &m, int page, const QString &name)
{
    QStringList out;
    for (const TextItem *t : m.texts(page, name))
        out << t->text;
    return out;
}

} // namespace

TEST(RegisterList, ColumnsFollowTheFieldsTheInnKeeps)
{
    const QStringList base = {"到着日", "出発日", "請求番号", "部屋", "氏名", "フリガナ", "住所", "連絡先", "国籍", "旅券番号"};
    struct Case {
        const char *name;
        RegisterFields fields;
        QStringList headings;
        QPageLayout::Orientation orientation;
    };
    RegisterFields all{true, true, true, true, true};
    RegisterFields ageSex{true, true, false, false, false};
    QStringList timed = base;
    timed[0] = QStringLiteral("到着日時");
    timed[1] = QStringLiteral("出発日時");
    const Case cases[] = {
        {"none", {}, base, QPageLayout::Portrait},
        {"age and sex", ageSex, base + QStringList{"年齢", "性別"}, QPageLayout::Landscape},
        {"all", all, timed + QStringList{"年齢", "性別", "前泊地", "行先地"}, QPageLayout::Landscape},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(registerPrintColumns(c.fields), c.headings);
        const PageModel m = registerListPages(guests(3), kFrom, kTo, kInn, c.fields);
        EXPECT_EQ(m.setup.orientation, c.orientation);
        EXPECT_EQ(pageTexts(m, 0, QStringLiteral("Heading")), c.headings);
        EXPECT_TRUE(page_checks::overlappingTexts(page_checks::inkBoxes(m, 0)).isEmpty())
            << page_checks::overlappingTexts(page_checks::inkBoxes(m, 0)).join(QLatin1Char('\n')).toStdString();
    }
}

TEST(RegisterList, EveryGuestOnceOverPagesThatEachCarryHeadingsAndNumber)
{
    const auto entries = guests(70);
    const PageModel m = registerListPages(entries, kFrom, kTo, kInn, {});
    ASSERT_GE(m.pages.size(), 2);
    QStringList names;
    for (int p = 0; p < m.pages.size(); ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(m.text(p, QStringLiteral("InnName"))->text, kInn);
        EXPECT_EQ(m.text(p, QStringLiteral("Period"))->text, QStringLiteral("期間 2026年12月01日～2026年12月31日　70名"));
        EXPECT_EQ(m.text(p, QStringLiteral("PageNo"))->text, QStringLiteral("%1 / %2").arg(p + 1).arg(m.pages.size()));
        EXPECT_EQ(pageTexts(m, p, QStringLiteral("Heading")).size(), 10);
        names << pageTexts(m, p, QStringLiteral("Name"));
        EXPECT_TRUE(page_checks::overlappingTexts(page_checks::inkBoxes(m, p)).isEmpty());
        EXPECT_TRUE(page_checks::closeRules(m, p, 0.3).isEmpty())
            << page_checks::closeRules(m, p, 0.3).join(QLatin1Char('\n')).toStdString();
        // Nothing reaches into the page number's line.
        const qreal pageNoTop = m.text(p, QStringLiteral("PageNo"))->rect.top();
        for (const TextItem *t : m.texts(p, QStringLiteral("Address")))
            EXPECT_LT(t->rect.bottom(), pageNoTop);
    }
    ASSERT_EQ(names.size(), 70);
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(names[i], entries[std::size_t(i)].name);
    EXPECT_EQ(m.text(0, QStringLiteral("Arrival"))->text, QStringLiteral("2026/12/01"));
    EXPECT_EQ(m.text(0, QStringLiteral("MeiNo"))->text, QStringLiteral("1000"));
}

TEST(RegisterList, ALongAddressWrapsInsideItsCellAndTheRowGrows)
{
    auto entries = guests(3);
    entries[1].address = QStringLiteral("Musterstraße 123, Hinterhaus 4. Obergeschoss links, 80331 München, "
                                        "Bayern, Bundesrepublik Deutschland, bei Familie Müller-Lüdenscheidt, "
                                        "Eingang über den Hof, zweite Tür rechts, dritter Stock");
    entries[1].livesAbroad = true;
    entries[1].nationality = QStringLiteral("DE");
    entries[1].passportNo = QStringLiteral("C01X00T47");
    const PageModel m = registerListPages(entries, kFrom, kTo, kInn, {});
    const auto addresses = m.texts(0, QStringLiteral("Address"));
    const auto contacts = m.texts(0, QStringLiteral("Contact"));
    ASSERT_EQ(addresses.size(), 3);
    EXPECT_GE(addresses[1]->text.count(QLatin1Char('\n')), 2);
    EXPECT_EQ(QString(addresses[1]->text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified(),
              entries[1].address.simplified());
    // Inside its column: the next column's text starts right of it.
    EXPECT_LT(addresses[1]->rect.right(), contacts[1]->rect.left());
    const qreal firstRow = addresses[1]->rect.top() - addresses[0]->rect.top();
    EXPECT_GT(addresses[2]->rect.top() - addresses[1]->rect.top(), 2.5 * firstRow);
    EXPECT_EQ(m.texts(0, QStringLiteral("Nationality"))[1]->text, QStringLiteral("ドイツ"));
    EXPECT_TRUE(page_checks::overlappingTexts(page_checks::inkBoxes(m, 0)).isEmpty());
}

TEST(RegisterList, AnEmptyPeriodPrintsOnePageSayingSo)
{
    const PageModel m = registerListPages({}, kFrom, kTo, kInn, {});
    ASSERT_EQ(m.pages.size(), 1);
    ASSERT_NE(m.text(0, QStringLiteral("Empty")), nullptr);
    EXPECT_EQ(m.text(0, QStringLiteral("PageNo"))->text, QStringLiteral("1 / 1"));
}

TEST(RecoveryKeySheet, TheKeyInFourLinesWithTheInnDateAndNote)
{
    const QString key = QStringLiteral("0123-4567-89AB-CDEF-0011-2233-4455-6677-8899-AABB-CCDD-EEFF-0F1E-2D3C-4B5A-6978");
    const PageModel m = recoveryKeyPages(kInn, QDate(2026, 12, 11), key);
    ASSERT_EQ(m.pages.size(), 1);
    const QStringList lines = pageTexts(m, 0, QStringLiteral("Key"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("0123  4567  89AB  CDEF"));
    EXPECT_EQ(lines.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char('-')), key);
    EXPECT_EQ(m.text(0, QStringLiteral("InnName"))->text, kInn);
    EXPECT_EQ(m.text(0, QStringLiteral("Date"))->text, QStringLiteral("作成日 2026年12月11日"));
    const QString note = m.text(0, QStringLiteral("Note"))->text;
    EXPECT_TRUE(note.contains(QStringLiteral("金庫")));
    EXPECT_TRUE(note.contains(QStringLiteral("合言葉を忘れたとき")));
    EXPECT_TRUE(note.contains(QStringLiteral("新しい回復キー")));
    EXPECT_TRUE(page_checks::overlappingTexts(page_checks::inkBoxes(m, 0)).isEmpty());
    for (const TextItem *t : m.texts(0, QStringLiteral("Key")))
        EXPECT_TRUE(m.rect(0, QStringLiteral("KeyFrame"))->rect.contains(t->rect.adjusted(0, 0, 0, -3)));
}

TEST(RegisterList, WrittenAsPdfReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("register.pdf"));
    auto entries = guests(70);
    entries[0].name = QStringLiteral("Müller Anna");
    const PageModel m = registerListPages(entries, kFrom, kTo, kInn, {});
    // Through the output the window uses; the register logs there, once.
    setPdfPathChooser([&](QWidget *, const QString &) { return path; });
    int logged = 0;
    const MessageFunction quiet = [](QWidget *, const QString &, const QString &, QMessageBox::StandardButtons) {
        return QMessageBox::Ok;
    };
    EXPECT_EQ(outputRegisterDocumentWith(quiet, nullptr, m, registerListName(kFrom, kTo), RegisterOutput::Pdf,
                                         [&] { return ++logged > 0; }),
              PrintOutcome::SavedPdf);
    setPdfPathChooser({});
    EXPECT_EQ(logged, 1);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForFinished() || text.exitCode() != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("宿泊者名簿")));
    EXPECT_TRUE(out.contains(kInn));
    EXPECT_TRUE(out.contains(QStringLiteral("Müller Anna")));
    const QString last = QStringLiteral("%1/%1").arg(m.pages.size()); // the spaces are lost in reading
    EXPECT_TRUE(QString(out).remove(QLatin1Char(' ')).contains(last));
}
