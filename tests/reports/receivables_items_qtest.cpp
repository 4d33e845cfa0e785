// The receivables statement, the sales per item and the diagnostic views on a
// month of realistic data, opened from the main window's menu as the user
// opens them: the grids against the month computations, columns and masks,
// month steps, refresh on activation (or not), the bill window closed first,
// the CSV button against the command-line export, the previews and the
// backup copy of urikake.dat.

#include "billing/meisai_form.h"
#include "controls/string_grid_ex.h"
#include "month_sample.h"
#include "printing/print_dialogs.h"
#include "printing/renderer.h"
#include "reports/debug_form.h"
#include "reports/getujiopt_prin_form.h"
#include "reports/urikake_prn_form.h"
#include "reports/getujiopt_form.h"
#include "reports/item_sales.h"
#include "reports/month_bar_form.h"
#include "reports/receivables.h"
#include "reports/record_views.h"
#include "reports/urikake_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/file_folders.h"
#include "storage/library.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2008, 4, 3), QTime(10, 0));

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<QStringList> gridRows(const TStringGridEx *g, int cols)
{
    std::vector<QStringList> rows;
    for (int r = 1; r < g->RowCount(); ++r)
        rows.push_back(g->Rows(r).mid(0, cols));
    return rows;
}

// The sample month with guest names, line texts and the default item master.
struct Sample {
    MonthSample month = marchSample();
    std::array<RecordList<THojoKamoku>, KamokuCategories> kamoku;
    Sample()
    {
        static const char *const guests[] = {"山田 太郎", "佐藤 花子", "鈴木 一郎", "高橋 美咲", "田中 健",
                                             "伊藤 由美", "渡辺 翔", "中村 さくら"};
        for (TReserveData &r : month.lines) {
            setFieldText(r.Name, QString::fromUtf8(guests[r.MeiNo % 8]));
            setFieldText(r.Regday, QString::number(r.MeiNo % 10000000));
            if (r.Kubun / 1000 == 102)
                setFieldText(r.Kamoku, QStringLiteral("クーポン"));
        }
        for (TUrikakeData &u : month.cards)
            setFieldText(u.Name, QString::fromUtf8(guests[u.MeiNo % 8]));
        seedDefaultKamoku(kamoku);
    }
};

} // namespace

class ReceivablesItemsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown;
    Sample sample;

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
    // With NORVEL_SHOTS set, the printouts are kept as PDF files to look at.
    void savePdf(const printing::PageModel &model, const QString &name)
    {
        const QString shots = qEnvironmentVariable("NORVEL_SHOTS");
        if (!shots.isEmpty())
            QCOMPARE(printing::saveDocumentPdf(shots + QLatin1Char('/') + name, model), QString());
    }
    void activate(TMainForm &main, QWidget *form)
    {
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(form->parentWidget()));
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        TLibrary lib;
        const MonthSample &m = sample.month;
        QVERIFY(lib.WriteRecords(&m.base, sizeof(TBaseData), dir.filePath("base.dat"), 1));
        QVERIFY(lib.WriteRecords(m.lines.data(), sizeof(TReserveData), dir.filePath("reserve.dat"), int(m.lines.size())));
        QVERIFY(lib.WriteRecords(m.cards.data(), sizeof(TUrikakeData), dir.filePath("urikake.dat"), int(m.cards.size())));
        for (int i = 0; i < KamokuCategories; ++i)
            QVERIFY(lib.WriteRecords(sample.kamoku[i].data(), sizeof(THojoKamoku), dir.filePath(KamokuFileNames[i]),
                                     int(sample.kamoku[i].size())));
        shown.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.title + QLatin1Char('|') + m.text;
            return QMessageBox::Ok;
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        setCsvPathChooser({});
        printing::setPreviewHook({});
        Clock::setFixed({});
    }

    void receivablesWindowShowsTheMonth()
    {
        TMainForm main(dir.path());
        main.resize(1100, 800);
        main.show();
        auto *form = open<TUrikakeForm>(main, "UrikakePrn", "UrikakeForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("月次売掛明細表"));
        QCOMPARE(form->Label1->text(), QStringLiteral("清算日による売掛金明細表"));
        QCOMPARE(form->Label2->text(), QStringLiteral("A4サイズの用紙をセットしてください"));
        QCOMPARE(form->PrintButton->toolTip(), QStringLiteral("領収書を印刷します"));
        // The current month, April: then back to March.
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2008年04月分"));
        QTest::mouseClick(form->MonthBar->SpeedButton1, Qt::LeftButton);
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2008年03月分"));

        const MonthGrid expected = receivablesMonth(main.data(), ReportMonth(2008, 3));
        QVERIFY(expected.error.isEmpty());
        QVERIFY(expected.rows.size() > 50);
        QCOMPARE(form->Grid->ColCount(), 5);
        QCOMPARE(form->Grid->FixedRows(), 1);
        QCOMPARE(form->Grid->RowCount(), int(expected.rows.size()) + 1);
        for (int c = 0; c < 5; ++c)
            QCOMPARE(form->Grid->CellDrawText(c, 0), expected.headings[c]);
        QVERIFY(gridRows(form->Grid, 5) == expected.rows);
        const int widths[] = {36, 71, 131, 90, 65};
        const TColumnAlignment align[] = {taCenter, taLeftJustify, taLeftJustify, taLeftJustify, taRightJustify};
        for (int c = 0; c < 5; ++c) {
            // Designed widths, widened where a number or a name would be cut.
            QVERIFY(form->Grid->ColWidths(c) >= widths[c]);
            QCOMPARE(form->Grid->GridColumns()[c]->Alignment(), align[c]);
            QVERIFY(!form->Grid->GridColumns()[c]->CanEdit());
        }
        // Amounts as plain integers in the cells, with separators on screen.
        const int last = form->Grid->RowCount() - 1;
        QCOMPARE(form->Grid->Cells(0, last), QStringLiteral("合計"));
        QVERIFY(form->Grid->Cells(4, last).toLongLong() > 1000000);
        QCOMPARE(form->Grid->CellDrawText(4, last), QLocale(QLocale::English).toString(form->Grid->Cells(4, last).toLongLong()));
        QCOMPARE(form->Grid->Cells(0, 1).left(3), QStringLiteral("01("));
        saveShot(&main, QStringLiteral("receivables_window.png"));
        TUrikakePrnForm printed(form->MonthBar->title(), gridRows(form->Grid, 5));
        const printing::PageModel model = printed.Run();
        QCOMPARE(model.texts(0, QStringLiteral("DetailText0")).size(), qMin(48, int(expected.rows.size())));
        savePdf(model, QStringLiteral("receivables.pdf"));

        // → comes back to April and stops there.
        QVERIFY(form->MonthBar->SpeedButton2->isEnabled());
        QTest::mouseClick(form->MonthBar->SpeedButton2, Qt::LeftButton);
        QVERIFY(!form->MonthBar->SpeedButton2->isEnabled());
        QVERIFY(gridRows(form->Grid, 5) == receivablesMonth(main.data(), ReportMonth(2008, 4)).rows);
        QVERIFY(shown.isEmpty());
    }

    void receivablesRefreshOnActivation()
    {
        TMainForm main(dir.path());
        main.show();
        auto *form = open<TUrikakeForm>(main, "UrikakePrn", "UrikakeForm");
        auto *items = open<TGetujioptForm>(main, "OptPrn", "GetujioptForm");
        QVERIFY(form && items);
        const int rows = form->Grid->RowCount();
        main.data().UrikakeList.push_back(receivable(7, "2008/04/02", 101002, 5000));
        activate(main, form);
        QCOMPARE(form->Grid->RowCount(), rows + 1);
        QCOMPARE(form->Grid->Cells(1, rows - 1), QStringLiteral("7"));
        QCOMPARE(form->Grid->Cells(3, rows - 1), QStringLiteral("VISA"));
    }

    void anOpenBillWindowIsClosedFirst()
    {
        TMainForm main(dir.path());
        main.show();
        // A bill settled in March with a coupon, opened in the bill window.
        uint32_t billNo = 0;
        for (const TReserveData &r : main.data().ReserveList)
            if (r.Kubun / 1000 == 102 && fieldText(r.Seisan).startsWith(QStringLiteral("2008/03/"))) {
                billNo = r.MeiNo;
                break;
            }
        QVERIFY(billNo);
        TMeisaiForm *bill = main.openBillWindow(billNo);
        QVERIFY(bill);
        // A settlement date the bill window refuses keeps it open, and every report shut.
        auto *seisan = bill->findChild<QLineEdit *>(QStringLiteral("SeisanDay"));
        QVERIFY(seisan);
        const QString date = seisan->text();
        seisan->setText(QStringLiteral("2008/02/30"));
        for (const char *menu : {"UrikakePrn", "OptPrn", "debug1", "debuguri1"})
            main.menuItem(QLatin1String(menu))->trigger();
        for (const char *name : {"UrikakeForm", "GetujioptForm", "debugForm", "debuguriForm"})
            QVERIFY2(!main.findChildWindow(QLatin1String(name)), name);
        QVERIFY(main.billWindow());
        QVERIFY(!shown.isEmpty());
        // Mended, the bill window closes and saves; the statement lists the coupon again.
        seisan->setText(date);
        main.menuItem(QStringLiteral("UrikakePrn"))->trigger();
        QVERIFY2(!main.billWindow(), qPrintable(shown.join(QLatin1Char('\n'))));
        auto *form = qobject_cast<TUrikakeForm *>(main.findChildWindow(QStringLiteral("UrikakeForm")));
        QVERIFY(form);
        QTest::mouseClick(form->MonthBar->SpeedButton1, Qt::LeftButton);
        const MonthGrid after = receivablesMonth(main.data(), ReportMonth(2008, 3));
        QVERIFY(gridRows(form->Grid, 5) == after.rows);
        bool listed = false;
        for (const QStringList &row : after.rows)
            listed = listed || (row[1] == QString::number(billNo) && row[3] == QStringLiteral("クーポン"));
        QVERIFY(listed);
        // Opening a bill while the statement is open: activating the statement closes it.
        QVERIFY(main.openBillWindow(billNo));
        activate(main, form);
        QVERIFY(!main.billWindow());
        QVERIFY(gridRows(form->Grid, 5) == after.rows);
        // The closed bill windows are freed before the main window goes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void itemsWindowComputesOnDemand()
    {
        TMainForm main(dir.path());
        main.resize(1100, 800);
        main.show();
        auto *form = open<TGetujioptForm>(main, "OptPrn", "GetujioptForm");
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("売上明細月次集計表"));
        QCOMPARE(form->KindCombo->count(), 3);
        QCOMPARE(form->KindCombo->currentText(), QStringLiteral("宿泊費明細"));
        QCOMPARE(form->Button1->text(), QStringLiteral("集計"));
        // The empty design state until 集計.
        QCOMPARE(form->Grid->RowCount(), 2);
        QVERIFY(form->Grid->Rows(1).join(QString()).isEmpty());
        QCOMPARE(form->Grid->CellDrawText(0, 0), QStringLiteral("科目コード"));
        const int widths[] = {65, 144, 53, 104};
        for (int c = 0; c < 4; ++c)
            QVERIFY(form->Grid->ColWidths(c) >= widths[c]);
        QCOMPARE(form->Grid->GridColumns()[2]->DisplayMask(), QStringLiteral("###,###,###"));

        QTest::mouseClick(form->MonthBar->SpeedButton1, Qt::LeftButton); // March, computed for category 0
        QVERIFY(gridRows(form->Grid, 4) == itemSalesMonth(main.data(), ReportMonth(2008, 3), 0).rows);
        form->KindCombo->setCurrentIndex(1);
        // Changing the category shows that category at once, never the
        // figures of another under its name.
        const MonthGrid options = itemSalesMonth(main.data(), ReportMonth(2008, 3), 1);
        QVERIFY(gridRows(form->Grid, 4) == options.rows);
        QCOMPARE(form->Grid->Cells(1, form->Grid->RowCount() - 1), QStringLiteral("合計"));
        QVERIFY(form->Grid->Cells(3, form->Grid->RowCount() - 1).toLongLong() > 100000);
        saveShot(&main, QStringLiteral("items_window.png"));
        TGetujioptPrinForm printed(form->MonthBar->title(), form->KindCombo->currentText(), gridRows(form->Grid, 4));
        savePdf(printed.Run(), QStringLiteral("items.pdf"));

        // Activation does not recompute.
        main.data().ReserveList.push_back(billLine(9, "2008/03/05", "2008/03/05", 1601102, 800, 100));
        auto *other = open<TUrikakeForm>(main, "UrikakePrn", "UrikakeForm");
        activate(main, other);
        activate(main, form);
        QVERIFY(gridRows(form->Grid, 4) == options.rows);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QVERIFY(gridRows(form->Grid, 4) != options.rows);

        // The printout names the category of the figures shown.
        form->KindCombo->setCurrentIndex(2);
        QString title;
        printing::setPreviewHook([&](QWidget *dialog) {
            title = dialog->windowTitle();
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->reject(); });
        });
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("印刷プレビュー"));
        QVERIFY(shown.isEmpty());
    }

    void csvButtonsMatchTheCommandLine()
    {
        const QString program = dir.filePath(QStringLiteral("norvel"));
        QVERIFY(QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir out;
        TMainForm main(dir.path());
        main.show();
        auto *receivables = open<TUrikakeForm>(main, "UrikakePrn", "UrikakeForm");
        auto *items = open<TGetujioptForm>(main, "OptPrn", "GetujioptForm");
        QTest::mouseClick(receivables->MonthBar->SpeedButton1, Qt::LeftButton);
        items->KindCombo->setCurrentIndex(1);
        QTest::mouseClick(items->MonthBar->SpeedButton1, Qt::LeftButton);
        const struct {
            TMonthWindow *form;
            QStringList args;
            const char *suggested;
        } cases[] = {
            {receivables, {"--export", "receivables"}, "receivables-2008-03.csv"},
            {items, {"--export", "items", "--category", "1"}, "items1-2008-03.csv"},
        };
        for (const auto &c : cases) {
            const QString windowCsv = out.filePath(QStringLiteral("window.csv"));
            QString suggested;
            setCsvPathChooser([&](QWidget *, const QString &s) {
                suggested = s;
                return windowCsv;
            });
            QTest::mouseClick(c.form->findChild<QPushButton *>(QStringLiteral("CsvButton")), Qt::LeftButton);
            // The first dialog starts in the clerk's Documents (not in the
            // data folder), the next where the first file went.
            QCOMPARE(suggested, QDir(c.form == receivables ? filefolders::documentsFolder() : out.path())
                                    .filePath(QLatin1String(c.suggested)));
            QCOMPARE(shown.takeLast(), QStringLiteral("メッセージ|CSVファイルを保存しました。\n") + windowCsv);
            const QString cliCsv = out.filePath(QStringLiteral("cli.csv"));
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            env.remove(QStringLiteral("DISPLAY"));
            p.setProcessEnvironment(env);
            p.start(program, c.args + QStringList{"--month", "2008-03", "--out", cliCsv});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 0);
            const QByteArray window = readAll(windowCsv);
            QCOMPARE(readAll(cliCsv), window);
            // Line by line, the grid as shown: headings, then every row.
            const QList<QByteArray> lines = window.mid(3).split('\n');
            QCOMPARE(lines.size(), c.form->Grid->RowCount() + 1);
            QStringList headings;
            for (int col = 0; col < c.form->Grid->ColCount(); ++col)
                headings << c.form->Grid->CellDrawText(col, 0);
            QCOMPARE(QString::fromUtf8(lines[0]), headings.join(QLatin1Char(',')) + QLatin1Char('\r'));
            // Each field as the window draws it, without thousands separators:
            // a cell the window leaves blank is blank in the file, never 0.
            for (int r = 1; r < c.form->Grid->RowCount(); ++r) {
                QStringList drawn;
                for (int col = 0; col < c.form->Grid->ColCount(); ++col)
                    drawn << c.form->Grid->CellDrawText(col, r).remove(QLatin1Char(','));
                QCOMPARE(QString::fromUtf8(lines[r]), drawn.join(QLatin1Char(',')) + QLatin1Char('\r'));
            }
        }
        QVERIFY(shown.isEmpty());
    }

    void receivablesPreviewLeavesABackupCopy()
    {
        TMainForm main(dir.path());
        main.show();
        auto *form = open<TUrikakeForm>(main, "UrikakePrn", "UrikakeForm");
        int previews = 0;
        printing::setPreviewHook([&](QWidget *dialog) {
            ++previews;
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->reject(); });
        });
        const QString backup = dir.filePath(QStringLiteral("backup/urikake.dat2008_04_03"));
        QVERIFY(!QFile::exists(backup));
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        QCOMPARE(previews, 1);
        QCOMPARE(readAll(backup), readAll(dir.filePath(QStringLiteral("urikake.dat"))));
        // A second statement the same day replaces the copy with the list as it is now.
        main.data().UrikakeList.pop_back();
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        QCOMPARE(previews, 2);
        QCOMPARE(readAll(backup).size(), qsizetype(main.data().UrikakeList.size() * sizeof(TUrikakeData)));
        QCOMPARE(QDir(dir.filePath("backup")).entryList(QDir::Files).size(), 1);
        QVERIFY(shown.isEmpty());
    }

    void diagnosticViewsListEveryRecord()
    {
        TMainForm main(dir.path());
        main.resize(1100, 800);
        main.show();
        QVERIFY(!main.menuItem(QStringLiteral("debug1"))->isVisible());
        auto *lines = open<TdebugForm>(main, "debug1", "debugForm");
        auto *cards = open<TdebuguriForm>(main, "debuguri1", "debuguriForm");
        QVERIFY(lines && cards);
        QCOMPARE(lines->windowTitle(), QStringLiteral("debug"));
        QCOMPARE(cards->windowTitle(), QStringLiteral("debug"));
        QCOMPARE(lines->Grid->ColCount(), 14);
        QCOMPARE(lines->Grid->RowCount(), int(main.data().ReserveList.size()) + 1);
        QVERIFY(gridRows(lines->Grid, 14) == reserveRecordsGrid(main.data().ReserveList).rows);
        QCOMPARE(lines->Grid->CellDrawText(0, 0), QStringLiteral("MeiNo_"));
        QVERIFY(lines->Grid->Options() & goColSizing);
        QCOMPARE(cards->Grid->ColCount(), 5);
        QVERIFY(gridRows(cards->Grid, 5) == urikakeRecordsGrid(main.data().UrikakeList).rows);
        saveShot(&main, QStringLiteral("debug_window.png"));
        // The month bar changes the title only.
        QTest::mouseClick(lines->MonthBar->SpeedButton1, Qt::LeftButton);
        QCOMPARE(lines->MonthBar->DateLabel->text(), QStringLiteral("2008年03月分"));
        QCOMPARE(lines->Grid->RowCount(), int(main.data().ReserveList.size()) + 1);
        // Relisted at activation.
        main.data().UrikakeList.clear();
        activate(main, lines);
        activate(main, cards);
        QCOMPARE(cards->Grid->RowCount(), 2);
        QVERIFY(cards->Grid->Rows(1).join(QString()).isEmpty());
        // Their places are not kept.
        lines->close();
        cards->close();
        QVERIFY(!readAll(main.data().iniPath()).contains("debug"));
    }
};

QTEST_MAIN(ReceivablesItemsTest)
#include "receivables_items_qtest.moc"
