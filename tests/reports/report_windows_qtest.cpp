// The bathing-tax and daily sales windows on a month of realistic data, opened
// from the main window's menu as the user opens them: the grids against the
// month computations, month steps, refresh on activation, the bill window
// closed first, the CSV button against the command-line export, printing
// and the backup copy after the sales printout; and the accommodation-tax
// statement of a month in which the town's tiers change.

#include "billing/meisai_form.h"
#include "controls/string_grid_ex.h"
#include "month_sample.h"
#include "printing/print_dialogs.h"
#include "reports/getuji_form.h"
#include "reports/getujiopt_form.h"
#include "reports/month_sum.h"
#include "reports/month_bar_form.h"
#include "reports/lodging_statement.h"
#include "reports/nyutouzei_form.h"
#include "reports/shukuhakuzei_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/file_folders.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/money_settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2008, 3, 20), QTime(18, 0));

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<QStringList> gridRows(const TStringGridEx *g, int fromRow, int cols)
{
    std::vector<QStringList> rows;
    for (int r = fromRow; r < g->RowCount(); ++r)
        rows.push_back(g->Rows(r).mid(0, cols));
    return rows;
}

} // namespace

class ReportWindowsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown;
    MonthSample sample;

    template <class Form> Form *open(TMainForm &main, const char *menu, const char *name)
    {
        main.menuItem(QLatin1String(menu))->trigger();
        return qobject_cast<Form *>(main.findChildWindow(QLatin1String(name)));
    }
    void saveShot(QWidget *w, const QString &name)
    {
        const QString shots = qEnvironmentVariable("NORVEL_SHOTS");
        if (!shots.isEmpty())
            w->grab().save(shots + QLatin1Char('/') + name);
    }
    // The program beside the data, as an inn's office would run it.
    QString installedProgram()
    {
        const QString program = dir.filePath(QStringLiteral("norvel"));
        if (!QFile::exists(program)) {
            QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program);
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        return program;
    }
    // norvel --export report --month month --out file, with no display; its exit code.
    int exportFromCommandLine(const QString &report, const QString &month, const QString &file)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(installedProgram(), {QStringLiteral("--export"), report, QStringLiteral("--month"), month,
                                     QStringLiteral("--out"), file});
        return p.waitForFinished(60000) ? p.exitCode() : -1;
    }
    // The title of the window the print button opens (closed at once).
    static QString previewTitleOf(QAbstractButton *print)
    {
        QString title;
        printing::setPreviewHook([&](QWidget *dialog) {
            title = dialog->windowTitle();
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->reject(); });
        });
        QTest::mouseClick(print, Qt::LeftButton);
        printing::setPreviewHook({});
        return title;
    }

private slots:
    void initTestCase()
    {
        sample = marchSample();
        QVERIFY(sample.lines.size() > 1000);
    }
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        TLibrary lib;
        QVERIFY(lib.WriteRecords(&sample.base, sizeof(TBaseData), dir.filePath("base.dat"), 1));
        QVERIFY(lib.WriteRecords(sample.lines.data(), sizeof(TReserveData), dir.filePath("reserve.dat"),
                                 int(sample.lines.size())));
        AppData kamoku;
        kamoku.ExePath = dir.path() + QLatin1Char('/');
        seedDefaultKamoku(kamoku.KamokuList);
        QVERIFY(saveKamokuLists(kamoku, lib, nullptr));
        QVERIFY(lib.WriteRecords(sample.cards.data(), sizeof(TUrikakeData), dir.filePath("urikake.dat"),
                                 int(sample.cards.size())));
        shown.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.title + QLatin1Char('|') + m.text;
            return QMessageBox::Yes;
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        setCsvPathChooser({});
        printing::setPdfPathChooser({});
        printing::setPreviewHook({});
        Clock::setFixed({});
    }

    void bathingWindowShowsTheMonth()
    {
        TMainForm main(dir.path());
        main.resize(1200, 900);
        main.show();
        auto *form = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("入湯税納入明細"));
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2008年03月分"));
        const MonthGrid expected = nyutouzeiMonth(main.data(), ReportMonth(2008, 3));
        QVERIFY(expected.error.isEmpty());
        QCOMPARE(form->Grid->ColCount(), 8);
        QCOMPARE(form->Grid->RowCount(), 32);
        QCOMPARE(form->Grid->FixedRows(), 0);
        QVERIFY(gridRows(form->Grid, 0, 8) == expected.rows);
        QVERIFY(!expected.rows[31][1].isEmpty());
        const int widths[] = {50, 52, 75, 51, 76, 57, 50, 52};
        for (int c = 0; c < 8; ++c) {
            QVERIFY(form->Grid->ColWidths(c) >= widths[c]);
            QCOMPARE(form->Grid->GridColumns()[c]->Alignment(), c == 0 ? taCenter : taRightJustify);
            QVERIFY(!form->Grid->GridColumns()[c]->CanEdit());
            QVERIFY(form->Grid->GridColumns()[c]->DisplayMask().isEmpty());
        }
        QStringList headings;
        for (QLineEdit *e : form->findChildren<QLineEdit *>())
            if (e->isReadOnly())
                headings << e->text();
        for (const char *h : {"日", "宿泊", "日帰り", "課税免除", "人数", "金額", "12歳未満", "他免除", "人数計"})
            QVERIFY2(headings.contains(QString::fromUtf8(h)), h);
        saveShot(&main, QStringLiteral("bathing_window.png"));

        // ← shows February (nothing dated there), → comes back and stops.
        QTest::mouseClick(form->MonthBar->SpeedButton1, Qt::LeftButton);
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2008年02月分"));
        QVERIFY(gridRows(form->Grid, 0, 8) == nyutouzeiMonth(main.data(), ReportMonth(2008, 2)).rows);
        QCOMPARE(form->Grid->Cells(0, 28), QStringLiteral("29(金)"));
        QVERIFY(form->Grid->Cells(0, 29).isEmpty());
        QTest::mouseClick(form->MonthBar->SpeedButton2, Qt::LeftButton);
        QVERIFY(gridRows(form->Grid, 0, 8) == expected.rows);
        QVERIFY(!form->MonthBar->SpeedButton2->isEnabled());
        QVERIFY(shown.isEmpty());
    }

    void salesWindowShowsTheMonth()
    {
        TMainForm main(dir.path());
        main.resize(1300, 900);
        main.show();
        auto *form = open<TGetujiForm>(main, "N4", "GetujiForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("月次売上日計表"));
        QCOMPARE(form->Label1->text(), QStringLiteral("清算日による売上集計表"));
        QCOMPARE(form->Grid->ColCount(), 17);
        QCOMPARE(form->Grid->RowCount(), 33);
        QCOMPARE(form->Grid->FixedRows(), 1);
        QStringList carried;
        const MonthGrid expected = getujiMonth(main.data(), ReportMonth(2008, 3), &carried);
        QVERIFY(expected.error.isEmpty());
        QCOMPARE(form->Grid->Rows(0).mid(0, 15), expected.headings);
        QCOMPARE(form->Grid->Cells(8, 0), QStringLiteral("消費税8%"));
        QVERIFY(gridRows(form->Grid, 1, 15) == expected.rows);
        for (int r = 0; r < 32; ++r) {
            QCOMPARE(form->Grid->Cells(15, r + 1), carried[r]);
            QVERIFY(form->Grid->Cells(16, r + 1).isEmpty());
        }
        // Thousands separators on screen in every amount column, the day-use one too
        // (as on the printout); plain integers in the cells.
        for (int c : {3, 7}) {
            const QString total = form->Grid->Cells(c, 32);
            QVERIFY(total.toLongLong() > 1000);
            QCOMPARE(form->Grid->CellDrawText(c, 32), QLocale(QLocale::English).toString(total.toLongLong()));
        }
        const int widths[] = {36, 89, 100, 64, 81, 76, 47, 54, 68, 58, 47, 77, 47, 57, 60, 2, 2};
        // Designed widths, widened where a figure or heading would be cut.
        for (int c = 0; c < 17; ++c)
            QVERIFY(c < 15 ? form->Grid->ColWidths(c) >= widths[c] : form->Grid->ColWidths(c) == widths[c]);
        // The bill with the undated line: its dated line counts on the 13th, its card entry too.
        QVERIFY(!form->Grid->Cells(14, 13).isEmpty());
        saveShot(&main, QStringLiteral("sales_window.png"));

        // Settings change the run-time headings at the next refresh.
        main.data().BaseData.TaxKubun = 0;
        main.data().BaseData.ServiceKubun = 0;
        main.data().BaseData.Nyutou_Kubun = 0;
        form->Refresh();
        QCOMPARE(form->Grid->Cells(5, 0), QStringLiteral("内サービス料"));
        QCOMPARE(form->Grid->Cells(8, 0), QStringLiteral("内消費税8%"));
        QCOMPARE(form->Grid->Cells(9, 0), QStringLiteral("内入湯税"));
    }

    void activationRecomputes()
    {
        TMainForm main(dir.path());
        main.show();
        auto *bathing = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        auto *sales = open<TGetujiForm>(main, "N4", "GetujiForm");
        QVERIFY(bathing && sales);
        const QString before = bathing->Grid->Cells(2, 31);
        main.data().BaseData.Nyutouzei = 200;
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(bathing->parentWidget()));
        QCOMPARE(bathing->Grid->Cells(2, 31), QString::number(bathing->Grid->Cells(1, 31).toLongLong() * 200));
        QVERIFY(bathing->Grid->Cells(2, 31) != before);
    }

    // Sums beyond 64 bits: the month's figures are refused with one message
    // per window, however often it refreshes, and no figure is shown.
    void aMonthThatCannotBeSummedIsReportedOnce()
    {
        TMainForm main(dir.path());
        main.show();
        main.data().BaseData.Nyutouzei = std::numeric_limits<int32_t>::max();
        for (int i = 0; i < 5; ++i) {
            TReserveData r{};
            r.MeiNo = 900000000;
            std::memcpy(r.Seisan, "2008/03/10", 10);
            std::memcpy(r.Rsvday, "2008/03/09", 10);
            r.Kubun = 1601001;
            r.Tanka = r.Suryou = std::numeric_limits<int32_t>::max();
            main.data().ReserveList.push_back(r);
        }
        const QString message = QStringLiteral("エラー|") + MonthSum::overflowMessage(ReportMonth(2008, 3));
        auto *bathing = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        auto *sales = open<TGetujiForm>(main, "N4", "GetujiForm");
        auto *items = open<TGetujioptForm>(main, "OptPrn", "GetujioptForm");
        QVERIFY(bathing && sales && items);
        QTest::mouseClick(items->Button1, Qt::LeftButton);
        for (int again = 0; again < 2; ++again)
            for (QWidget *w : {static_cast<QWidget *>(bathing), static_cast<QWidget *>(sales),
                               static_cast<QWidget *>(items)})
                main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
        bathing->Refresh();
        sales->Refresh();
        items->Refresh();
        QCOMPARE(shown, QStringList({message, message, message}));
        QCOMPARE(bathing->Grid->Cells(0, 31), QStringLiteral("合計"));
        QVERIFY(bathing->Grid->Rows(31).mid(1).join(QString()).isEmpty());
        QCOMPARE(sales->Grid->Cells(0, 32), QStringLiteral("合計"));
        QVERIFY(sales->Grid->Rows(32).mid(1, GetujiColumns - 1).join(QString()).isEmpty());
        QVERIFY(items->Grid->Rows(1).join(QString()).isEmpty());
        // A month that can be summed clears the refusal; back in March it is said again.
        QTest::mouseClick(sales->MonthBar->SpeedButton1, Qt::LeftButton);
        QTest::mouseClick(sales->MonthBar->SpeedButton2, Qt::LeftButton);
        QCOMPARE(shown.size(), 4);
    }

    // Like every month window, the two keep their place in the settings
    // file and come back there.
    void monthWindowsKeepTheirPlace_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("name");
        QTest::newRow("入湯税納入明細") << "N3" << "NyutouzeiForm";
        QTest::newRow("月次売上日計表") << "N4" << "GetujiForm";
    }
    void monthWindowsKeepTheirPlace()
    {
        QFETCH(QString, menu);
        QFETCH(QString, name);
        const QRect placed(23, 31, 640, 420);
        {
            TMainForm main(dir.path());
            main.show();
            main.menuItem(menu)->trigger();
            QWidget *frame = main.findChildWindow(name)->parentWidget();
            frame->setGeometry(placed);
            QVERIFY(main.findChildWindow(name)->close());
        }
        TMainForm main(dir.path());
        main.show();
        main.menuItem(menu)->trigger();
        QCOMPARE(main.findChildWindow(name)->parentWidget()->geometry(), placed);
    }

    // A month whose sums cannot be formed is not printed (as an empty sheet)
    // from either window: the refusal is said again instead.
    void aMonthThatCannotBeSummedIsNotPrinted()
    {
        TMainForm main(dir.path());
        main.show();
        main.data().BaseData.Nyutouzei = std::numeric_limits<int32_t>::max();
        for (int i = 0; i < 5; ++i) {
            TReserveData r{};
            r.MeiNo = 900000000;
            std::memcpy(r.Seisan, "2008/03/10", 10);
            std::memcpy(r.Rsvday, "2008/03/09", 10);
            r.Kubun = 1601001;
            r.Tanka = r.Suryou = std::numeric_limits<int32_t>::max();
            main.data().ReserveList.push_back(r);
        }
        bool printed = false;
        printing::setPdfPathChooser([&](QWidget *, const QString &) {
            printed = true;
            return QString();
        });
        printing::setPreviewHook([&](QWidget *dialog) {
            printed = true;
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->reject(); });
        });
        const QString message = QStringLiteral("エラー|") + MonthSum::overflowMessage(ReportMonth(2008, 3));
        auto *bathing = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        auto *sales = open<TGetujiForm>(main, "N4", "GetujiForm");
        shown.clear();
        QTest::mouseClick(sales->PrintButton, Qt::LeftButton);
        QTest::mouseClick(bathing->PrintButton, Qt::LeftButton);
        QCOMPARE(shown, QStringList({message, message}));
        QVERIFY(!printed);
        // No dated copy among the backup folder's files (its generation folders come from saves).
        QVERIFY(!QDir(dir.filePath("backup")).exists()
                || QDir(dir.filePath("backup")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void anOpenBillWindowIsClosedFirst()
    {
        TMainForm main(dir.path());
        main.show();
        // The first bill settled on the 5th, opened in the bill window.
        uint32_t billNo = 0;
        for (const TReserveData &r : main.data().ReserveList)
            if (QByteArray(r.Seisan) == "2008/03/05") {
                billNo = r.MeiNo;
                break;
            }
        TMeisaiForm *bill = main.openBillWindow(billNo);
        QVERIFY(bill);
        const QString before = getujiMonth(main.data(), ReportMonth(2008, 3)).rows[4][GCharges];
        // A settlement date the bill window refuses keeps it open, and the report shut.
        auto *seisan = bill->findChild<QLineEdit *>(QStringLiteral("SeisanDay"));
        QVERIFY(seisan);
        const QString date = seisan->text();
        seisan->setText(QStringLiteral("2008/02/30"));
        main.menuItem(QStringLiteral("N4"))->trigger();
        QVERIFY(!main.findChildWindow(QStringLiteral("GetujiForm")));
        QVERIFY(main.billWindow());
        QVERIFY(!shown.isEmpty());
        // With its date mended the bill window closes, saving the bill, and
        // the report counts the bill again.
        seisan->setText(date);
        main.menuItem(QStringLiteral("N4"))->trigger();
        QVERIFY2(!main.billWindow(), qPrintable(shown.join(QLatin1Char('\n')) + QLatin1Char('|') + date));
        auto *sales = qobject_cast<TGetujiForm *>(main.findChildWindow(QStringLiteral("GetujiForm")));
        QVERIFY(sales);
        QCOMPARE(sales->Grid->Cells(GCharges, 5), before);
        QVERIFY(gridRows(sales->Grid, 1, 15) == getujiMonth(main.data(), ReportMonth(2008, 3)).rows);
        // The closed bill window is freed while the main window still stands.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void csvButtonMatchesTheCommandLine()
    {
        QVERIFY(QFile::exists(installedProgram()));
        QTemporaryDir out;
        TMainForm main(dir.path());
        main.show();
        auto *bathing = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        auto *sales = open<TGetujiForm>(main, "N4", "GetujiForm");
        QString suggested;
        const struct { QWidget *form; QPushButton *button; const char *report; } cases[] = {
            {bathing, bathing->CsvButton, "bathing"}, {sales, sales->CsvButton, "sales"}};
        for (const auto &c : cases) {
            const QString windowCsv = out.filePath(QLatin1String(c.report) + QStringLiteral("-window.csv"));
            setCsvPathChooser([&](QWidget *, const QString &s) {
                suggested = s;
                return windowCsv;
            });
            QTest::mouseClick(c.button, Qt::LeftButton);
            // The first dialog starts in the clerk's Documents (not in the
            // data folder), the next where the first file went.
            QCOMPARE(suggested, QDir(c.form == bathing ? filefolders::documentsFolder() : out.path())
                                    .filePath(QLatin1String(c.report) + QStringLiteral("-2008-03.csv")));
            QCOMPARE(shown.takeLast(), QStringLiteral("メッセージ|CSVファイルを保存しました。\n") + windowCsv);
            const QString cliCsv = out.filePath(QLatin1String(c.report) + QStringLiteral("-cli.csv"));
            // The program is open at the desk meanwhile.
            QCOMPARE(exportFromCommandLine(QLatin1String(c.report), QStringLiteral("2008-03"), cliCsv), 0);
            const QByteArray window = readAll(windowCsv);
            QVERIFY(window.size() > 1000);
            QCOMPARE(readAll(cliCsv), window);
            // The window's CSV holds its grid as shown: a cell the window
            // leaves blank is blank in the file, never 0.
            const QList<QByteArray> lines = window.mid(3).split('\n');
            QCOMPARE(lines.size(), 34); // headings, 32 rows, and nothing after the last CR LF
            const auto *grid = c.form->findChild<TStringGridEx *>(QStringLiteral("Grid"));
            const int firstRow = c.form == sales ? 1 : 0;
            const int columns = c.form == sales ? int(GetujiColumns) : grid->ColCount();
            for (int r = firstRow; r < grid->RowCount(); ++r) {
                QStringList drawn;
                for (int col = 0; col < columns; ++col)
                    drawn << grid->CellDrawText(col, r).remove(QLatin1Char(','));
                QCOMPARE(QString::fromUtf8(lines[r - firstRow + 1]), drawn.join(QLatin1Char(',')) + QLatin1Char('\r'));
            }
        }
        QVERIFY(shown.isEmpty());
    }

    // Listed only while the inn charges the tax; the grid is the month's
    // statement, its totals the sums of its days; the CSV button writes what
    // norvel --export lodging writes; the print button previews the sheet.
    void lodgingStatementWindow()
    {
        // What the 帳票出力 menu lists as it opens.
        const auto listed = [](TMainForm &main) {
            emit main.menuItem(QStringLiteral("N2"))->menu()->aboutToShow();
            return main.menuItem(QStringLiteral("Shukuhakuzei"))->isVisible();
        };
        {
            TMainForm main(dir.path());
            QVERIFY(!listed(main));
        }
        TMoneySettings money;
        money.Lodging.Enabled = true;
        QCOMPARE(readLodgingPeriods(QStringLiteral("2000/01/01:0=100,10000=300;2008/03/15:0=200,6000=400,20000=1000"),
                                    &money.Lodging.Periods),
                 QString());
        IniFile ini(dir.filePath(QStringLiteral("norvelreceipt.ini")));
        writeMoneySettings(ini, money);
        QVERIFY(ini.save());

        TMainForm main(dir.path());
        main.resize(1300, 900);
        main.show();
        QVERIFY(listed(main));
        auto *form = open<TShukuhakuzeiForm>(main, "Shukuhakuzei", "ShukuhakuzeiForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("宿泊税納入明細"));
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2008年03月分"));
        const MonthGrid expected = lodgingTaxMonth(main.data(), ReportMonth(2008, 3));
        QVERIFY(expected.error.isEmpty());
        // Both periods' tiers, then 人泊計, 免除 人泊, 税額.
        QCOMPARE(expected.headings.size(), 1 + 2 + 3 + 3);
        QCOMPARE(form->Grid->ColCount(), 9);
        QCOMPARE(form->Grid->RowCount(), 33); // the headings, the days, the totals
        QVERIFY(gridRows(form->Grid, 1, 9) == expected.rows);
        for (int c = 1; c < 9; ++c) {
            int64_t sum = 0;
            for (int r = 0; r < 31; ++r)
                sum += expected.rows[size_t(r)][c].toLongLong();
            QCOMPARE(expected.rows[31][c].toLongLong(), sum);
        }
        QVERIFY(expected.rows[31][8].toLongLong() > 10000);
        QVERIFY(expected.rows[31][1].toLongLong() + expected.rows[31][2].toLongLong() > 0); // before the 15th
        QVERIFY(expected.rows[31][3].toLongLong() + expected.rows[31][4].toLongLong()
                    + expected.rows[31][5].toLongLong() > 0); // from the 15th
        saveShot(&main, QStringLiteral("lodging_window.png"));

        QTemporaryDir out;
        const QString windowCsv = out.filePath(QStringLiteral("lodging-window.csv"));
        QString suggested;
        setCsvPathChooser([&](QWidget *, const QString &s) {
            suggested = s;
            return windowCsv;
        });
        QTest::mouseClick(form->CsvButton, Qt::LeftButton);
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("lodging-2008-03.csv"));
        QCOMPARE(shown.takeLast(), QStringLiteral("メッセージ|CSVファイルを保存しました。\n") + windowCsv);
        const QString cliCsv = out.filePath(QStringLiteral("lodging-cli.csv"));
        QCOMPARE(exportFromCommandLine(QStringLiteral("lodging"), QStringLiteral("2008-03"), cliCsv), 0);
        QVERIFY(readAll(windowCsv).size() > 500);
        QCOMPARE(readAll(cliCsv), readAll(windowCsv));

        QCOMPARE(previewTitleOf(form->PrintButton), QStringLiteral("印刷プレビュー"));
        QVERIFY(shown.isEmpty());
    }

    void bathingPrintOpensThePreview()
    {
        TMainForm main(dir.path());
        main.show();
        auto *form = open<TNyutouzeiForm>(main, "N3", "NyutouzeiForm");
        QCOMPARE(previewTitleOf(form->PrintButton), QStringLiteral("印刷プレビュー"));
        // No dated copy beside the generations the saves keep (folders).
        QVERIFY(!QDir(dir.filePath("backup")).exists()
                || QDir(dir.filePath("backup")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void salesPrintoutLeavesABackupCopy()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed: the test would print on it");
        TMainForm main(dir.path());
        main.show();
        auto *form = open<TGetujiForm>(main, "N4", "GetujiForm");
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("sales.pdf"));
        printing::setPdfPathChooser([&](QWidget *, const QString &) { return pdf; });
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        // No printer here: the user said yes to a PDF instead, and is told where it went.
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].startsWith(QStringLiteral("確認|使用できるプリンターがありません")));
        QCOMPARE(shown[1], QStringLiteral("メッセージ|PDFファイルを保存しました。\n") + pdf);
        QVERIFY(QFileInfo(pdf).size() > 1000);
        const QString backup = dir.filePath(QStringLiteral("backup/reserve.dat2008_03_20"));
        QCOMPARE(readAll(backup), readAll(dir.filePath(QStringLiteral("reserve.dat"))));

        // Declining the PDF produces nothing, and no copy either.
        QFile::remove(backup);
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::No; });
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(backup));
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "report_windows_qtest.moc"
