// The daily sales window on a month with the standard and the reduced rate,
// opened from the menu: the breakdown by rate below the totals, the CSV
// button against the command-line export (which takes the dated settings of
// the settings file as the window does), and the printout on paper.

#include "pdf_words.h"
#include "two_rate_month.h"

#include "app/main_form.h"
#include "controls/string_grid_ex.h"
#include "printing/print_dialogs.h"
#include "reports/getuji_form.h"
#include "reports/month_bar_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/money_settings.h"

#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString yen(int64_t v) { return QLocale(QLocale::English).toString(qlonglong(v)); }

} // namespace

class SalesByRateWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown;
    AppData data = twoRateMonth(1);

    TGetujiForm *openSales(TMainForm &main)
    {
        main.menuItem(QStringLiteral("N4"))->trigger();
        return qobject_cast<TGetujiForm *>(main.findChildWindow(QStringLiteral("GetujiForm")));
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        data = twoRateMonth(1);
        Clock::setFixed(QDateTime(QDate(2026, 12, 20), QTime(18, 0)));
        // The bathing tax went from 150 to 200 on the 16th: bill 3's night
        // of the 19th owes 200, the nights of the 2nd and 3rd 150.
        TMoneySettings money;
        money.setAmountFrom(SettingNyutouzei, QDate(2026, 12, 16), 200, data.BaseData);
        money.applyToday(data.BaseData, Clock::now().date());
        IniFile ini(dir.filePath(QStringLiteral("norvelreceipt.ini")));
        writeMoneySettings(ini, money);
        QVERIFY(ini.save());
        TLibrary lib;
        QVERIFY(lib.WriteRecords(&data.BaseData, sizeof(TBaseData), dir.filePath("base.dat"), 1));
        QVERIFY(lib.WriteRecords(data.ReserveList.data(), sizeof(TReserveData), dir.filePath("reserve.dat"),
                                 int(data.ReserveList.size())));
        data.ExePath = dir.path() + QLatin1Char('/');
        QVERIFY(saveKamokuLists(data, lib, nullptr));
        shown.clear();
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
        Clock::setFixed({});
    }

    void breakdownBelowTheTotals()
    {
        TMainForm main(dir.path());
        main.show();
        TGetujiForm *form = openSales(main);
        QVERIFY(form);
        QCOMPARE(form->MonthBar->DateLabel->text(), QStringLiteral("2026年12月分"));
        TStringGridEx *g = form->Grid;
        QCOMPARE(g->RowCount(), 35); // headings, 31 days, totals, two rates
        QCOMPARE(g->Cells(GTax, 0), QStringLiteral("消費税"));
        const RateFigures f = twoRateFigures(1);
        QCOMPARE(g->Cells(GTax, 32), QString::number(f.standardTax + f.reducedTax));
        QCOMPARE(g->Cells(GBathingTax, 20), QStringLiteral("200"));
        const struct { int row; const char *label; int64_t base, tax; } rates[] = {
            {33, "10%対象", f.standardBase, f.standardTax}, {34, "8%対象", f.reducedBase, f.reducedTax}};
        for (const auto &r : rates) {
            QCOMPARE(g->Cells(0, r.row), QString::fromUtf8(r.label));
            QCOMPARE(g->CellDrawText(GCharges, r.row), yen(r.base));
            QCOMPARE(g->CellDrawText(GTax, r.row), yen(r.tax));
            QVERIFY(g->Cells(GTotal, r.row).isEmpty());
        }
        // The day column is wide enough for the rate labels.
        QVERIFY(g->ColWidths(0) >= QFontMetrics(g->GridColumns()[0]->Font()).horizontalAdvance(g->Cells(0, 33)));

        // A month of one rate has nothing below its totals.
        QTest::mouseClick(form->MonthBar->SpeedButton1, Qt::LeftButton);
        QCOMPARE(g->RowCount(), 33);
        QCOMPARE(g->Cells(GTax, 0), QStringLiteral("消費税10%"));
        QVERIFY(shown.isEmpty());
    }

    void csvButtonMatchesTheCommandLine()
    {
        const QString program = dir.filePath(QStringLiteral("norvel"));
        QFile::remove(program);
        QVERIFY(QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir out;
        TMainForm main(dir.path());
        main.show();
        TGetujiForm *form = openSales(main);
        const QString windowCsv = out.filePath(QStringLiteral("window.csv"));
        setCsvPathChooser([&](QWidget *, const QString &) { return windowCsv; });
        QTest::mouseClick(form->CsvButton, Qt::LeftButton);
        QCOMPARE(shown.takeLast(), QStringLiteral("メッセージ|CSVファイルを保存しました。\n") + windowCsv);

        const QString cliCsv = out.filePath(QStringLiteral("cli.csv"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(program, {QStringLiteral("--export"), QStringLiteral("sales"), QStringLiteral("--month"),
                          QStringLiteral("2026-12"), QStringLiteral("--out"), cliCsv});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray window = readAll(windowCsv);
        QCOMPARE(readAll(cliCsv), window);
        const RateFigures f = twoRateFigures(1);
        QVERIFY(window.endsWith(QStringLiteral("\r\n10%対象,,,,,,,%1,%2,,,,,,\r\n8%対象,,,,,,,%3,%4,,,,,,\r\n")
                                    .arg(f.standardBase).arg(f.standardTax).arg(f.reducedBase).arg(f.reducedTax)
                                    .toUtf8()));
    }

    void printoutShowsTheRates()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed: the test would print on it");
        TMainForm main(dir.path());
        main.show();
        TGetujiForm *form = openSales(main);
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("sales.pdf"));
        printing::setPdfPathChooser([&](QWidget *, const QString &) { return pdf; });
        QTest::mouseClick(form->PrintButton, Qt::LeftButton);
        QCOMPARE(shown.size(), 2); // no printer: a PDF instead, and where it went
        const pdf_words::PdfText text = pdf_words::read(pdf);
        QCOMPARE(text.pages, 1);
        const RateFigures f = twoRateFigures(1);
        const struct { const char *label; int64_t base, tax; } rates[] = {
            {"10%対象", f.standardBase, f.standardTax}, {"8%対象", f.reducedBase, f.reducedTax}};
        const QList<pdf_words::Word> totals = text.find(QStringLiteral("合計"));
        QCOMPARE(totals.size(), 1);
        for (const auto &r : rates) {
            const QList<pdf_words::Word> label = text.find(QString::fromUtf8(r.label));
            QCOMPARE(label.size(), 1);
            QVERIFY(label[0].yMin > totals[0].yMax);
            // The figures stand on the label's line.
            for (const QString &figure : {yen(r.base), yen(r.tax)}) {
                bool found = false;
                for (const pdf_words::Word &w : text.find(figure))
                    found |= std::abs(w.yMin - label[0].yMin) < 1.0;
                QVERIFY2(found, qPrintable(figure));
            }
        }
    }
};

QTEST_MAIN(SalesByRateWindowTest)
#include "sales_by_rate_qtest.moc"
