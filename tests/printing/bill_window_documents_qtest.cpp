// The bill window's print buttons and the main menu's previews put the A4,
// B5 and combined documents on paper: each comes out as a PDF of its sheet
// (the preview's save, or direct printing without a printer), and the bill
// takes the run's changes.

#include "billing/bill_desk.h"
#include "billing/bill_fixtures.h"
#include "billing/meisai_form.h"
#include "printing/print_dialogs.h"
#include "printing/renderer.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/library.h"
#include "storage/receipt_issues.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const uint32_t kBill = 1395363600;

TReserveData rec(uint32_t key, int32_t tanka, int32_t suryou, const char *text)
{
    TReserveData r = line(key, tanka, suryou, "2014/03/21", "101", text);
    r.MeiNo = kBill;
    setFieldText(r.Regday, QStringLiteral("a000000057"));
    setFieldText(r.Name, QStringLiteral("山田太郎"));
    setFieldText(r.Plan, QStringLiteral("一泊二食"));
    r.Stay = 1;
    r.Stayx = 1;
    return r;
}

// Width and height of the first page of a PDF, in millimetres.
QSizeF pdfPage(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {};
    const auto m = QRegularExpression(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""))
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble() * 25.4 / 72, m.captured(2).toDouble() * 25.4 / 72) : QSizeF();
}

} // namespace

class BillWindowDocumentsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString pdfPath;

    void writeProgramDirectory(uint8_t paperKubun)
    {
        AppData data;
        TLibrary lib;
        data.ExePath = dir.path() + QLatin1Char('/');
        setDefaultBaseData(data.BaseData);
        data.BaseData = settings(1, 1, 1);
        data.BaseData.PaperKubun = paperKubun;
        seedDefaultKamoku(data.KamokuList);
        data.ReserveList = {rec(1601001, 10000, 2, "大人宿泊料金"), rec(1601102, 600, 3, "ビール")};
        QString error;
        QVERIFY(saveBaseData(data, lib, &error));
        QVERIFY(saveKamokuLists(data, lib, &error));
        QVERIFY(saveReserveList(data, lib, &error));
    }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        pdfPath = dir.filePath(QStringLiteral("out.pdf"));
        Clock::setFixed(QDateTime(QDate(2014, 3, 21), QTime(10, 0)));
        // Without a printer the user is asked whether to save a PDF instead: yes.
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Yes; });
        printing::setPdfPathChooser([this](QWidget *, const QString &) { return pdfPath; });
        printing::setPreviewHook([](QWidget *dialog) {
            QTimer::singleShot(0, dialog, [dialog] {
                if (QAction *save = dialog->findChild<QAction *>(QStringLiteral("SavePdfAction")))
                    save->trigger();
                static_cast<QDialog *>(dialog)->reject();
            });
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        printing::setPdfPathChooser({});
        printing::setPreviewHook({});
        Clock::setFixed({});
    }

    void menuPreviewsPrintTheirPaper_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QSizeF>("sheet");
        QTest::addColumn<QString>("decide");
        QTest::newRow("請求書(A4)") << "PrintSeikyuA4" << QSizeF(210, 297) << "0";
        QTest::newRow("領収書(A4)") << "PrintRyousyuA4" << QSizeF(210, 297) << "1";
        QTest::newRow("請求書(B5)") << "PrintSeikyuB5" << QSizeF(182, 257) << "0";
        QTest::newRow("領収書(B5)") << "PrintRyousyuB5" << QSizeF(182, 257) << "1";
        QTest::newRow("請求書＆領収書(A4)") << "A41" << QSizeF(297, 210) << "1";
    }
    void menuPreviewsPrintTheirPaper()
    {
        QFETCH(QString, item);
        QFETCH(QSizeF, sheet);
        QFETCH(QString, decide);
        writeProgramDirectory(0);
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        QAction *action = main.menuItem(item);
        QVERIFY(action && action->isEnabled());
        action->trigger();
        QVERIFY(QFile::exists(pdfPath));
        const QSizeF page = pdfPage(pdfPath);
        if (page.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY2(std::abs(page.width() - sheet.width()) < 0.5 && std::abs(page.height() - sheet.height()) < 0.5,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        QCOMPARE(w->bill().DecideEdit, decide);
        QCOMPARE(w->bill().SeisanDay, QStringLiteral("2014/03/21"));
    }

    // A cash receipt of 50,000 yen or more: the clerk is reminded of the
    // stamp before it prints (Cancel prints nothing), and the receipt frames
    // its place; the preview only shows the frame.
    void cashReceiptRemindsOfTheRevenueStamp()
    {
        if (printing::printerAvailable())
            QSKIP("a printer is installed: direct printing would not write the PDF");
        writeProgramDirectory(0);
        {
            AppData data;
            TLibrary lib;
            data.ExePath = dir.path() + QLatin1Char('/');
            data.ReserveList = {rec(1601001, 30000, 2, "大人宿泊料金"), rec(1601102, 600, 3, "ビール")};
            QString error;
            QVERIFY(saveReserveList(data, lib, &error));
        }
        QStringList reminders;
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        SetMessageResponder([&](const ShownMessage &m) {
            if (m.title != QStringLiteral("収入印紙"))
                return QMessageBox::Yes;
            reminders << m.text;
            return answer;
        });
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        const QString status = w->bill().DecideEdit;
        QPushButton *print = w->findChild<QPushButton *>(QStringLiteral("PrintRyousyu"));
        print->click();
        QCOMPARE(reminders.size(), 1);
        QVERIFY2(reminders[0].contains(QStringLiteral("収入印紙 200円")), qPrintable(reminders[0]));
        QVERIFY(!QFile::exists(pdfPath));
        QCOMPARE(w->bill().DecideEdit, status);

        answer = QMessageBox::Ok;
        print->click();
        QCOMPARE(reminders.size(), 2);
        QVERIFY(QFile::exists(pdfPath));
        QCOMPARE(w->bill().DecideEdit, QStringLiteral("1"));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdfPath, QStringLiteral("-")});
        if (!text.waitForFinished(60000) || text.exitCode() != 0)
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("収入印紙")));

        QFile::remove(pdfPath);
        main.menuItem(QStringLiteral("PrintRyousyu"))->trigger();
        QVERIFY(QFile::exists(pdfPath));
        QCOMPARE(reminders.size(), 2);
    }

    // The combined sheet is a receipt: printed twice, the second is marked
    // with the day of the reissue, and the record counts both, each saved
    // with the bill before the sheet went out. A bill that cannot be saved
    // prints no receipt.
    void combinedSheetPrintedTwiceIsRecordedTwiceAndTheSecondMarked()
    {
        if (printing::printerAvailable())
            QSKIP("a printer is installed: direct printing would not write the PDF");
        writeProgramDirectory(0);
        QStringList shown;
        SetMessageResponder([&](const ShownMessage &m) {
            shown << m.text;
            return QMessageBox::Yes;
        });
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w);
        QLabel *issued = w->findChild<QLabel *>(QStringLiteral("ReceiptIssuedLabel"));
        QVERIFY(issued);
        QCOMPARE(issued->text(), QString());
        QPushButton *print = w->findChild<QPushButton *>(QStringLiteral("PrintW"));
        const QString dataDir = dir.path() + QLatin1Char('/');
        auto pdfText = [&] {
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {pdfPath, QStringLiteral("-")});
            text.waitForFinished(60000);
            return QString::fromUtf8(text.readAllStandardOutput());
        };
        auto issuesNow = [&] {
            ReceiptIssues issues;
            QString error;
            return issues.load(dataDir, &error) ? issues.count(kBill) : -1;
        };

        print->click();
        QVERIFY(QFile::exists(pdfPath));
        QCOMPARE(issuesNow(), 1);
        QCOMPARE(issued->text(), QStringLiteral("領収書発行済み(1回)"));
        // The bill was saved with it: the stored bill is receipted.
        {
            AppData stored;
            TLibrary lib;
            QVERIFY(loadAppData(stored, lib, dataDir, Clock::now()).isEmpty());
            for (const TReserveData &r : stored.ReserveList)
                if (r.MeiNo == kBill)
                    QCOMPARE(int(r.Decide), 1);
        }
        const QString first = pdfText();
        if (first.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(!first.contains(QStringLiteral("再発行")));

        Clock::setFixed(QDateTime(QDate(2014, 3, 22), QTime(8, 15)));
        QFile::remove(pdfPath);
        print->click();
        QVERIFY(QFile::exists(pdfPath));
        QCOMPARE(issuesNow(), 2);
        QCOMPARE(issued->text(), QStringLiteral("領収書発行済み(2回)"));
        QVERIFY2(pdfText().contains(QStringLiteral("再発行 2014年03月22日")), qPrintable(pdfText()));
        QVERIFY(issued->toolTip().contains(QStringLiteral("再発行1  2014年03月22日 08:15")));

        // A receipt whose bill cannot be saved is not printed.
        QFile::remove(pdfPath);
        shown.clear();
        QLineEdit *name = w->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
        name->setText(QString());
        w->findChild<QPushButton *>(QStringLiteral("PrintRyousyu"))->click();
        QVERIFY(!QFile::exists(pdfPath));
        QCOMPARE(issuesNow(), 2);
        QVERIFY2(shown.join(QLatin1Char('\n')).contains(QStringLiteral("名前を入力してください")),
                 qPrintable(shown.join(QLatin1Char('\n'))));
        QVERIFY(shown.join(QLatin1Char('\n')).contains(QStringLiteral("領収書は印刷していません")));
    }

    // Two PDFs saved from one preview of the receipt: the first is the first
    // issue, the second is recorded too and marked as a reissue.
    void secondOutputOfOnePreviewIsAReissue()
    {
        writeProgramDirectory(0);
        QStringList texts;
        printing::setPreviewHook([this, &texts](QWidget *dialog) {
            QTimer::singleShot(0, dialog, [this, dialog, &texts] {
                QAction *save = dialog->findChild<QAction *>(QStringLiteral("SavePdfAction"));
                for (int i = 0; save && i < 2; ++i) {
                    QFile::remove(pdfPath);
                    save->trigger();
                    QProcess text;
                    text.start(QStringLiteral("pdftotext"), {pdfPath, QStringLiteral("-")});
                    text.waitForFinished(60000);
                    texts << QString::fromUtf8(text.readAllStandardOutput());
                }
                static_cast<QDialog *>(dialog)->reject();
            });
        });
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        QAction *action = main.menuItem(QStringLiteral("PrintRyousyuA4"));
        QVERIFY(action && action->isEnabled());
        action->trigger();
        ReceiptIssues issues;
        QVERIFY(issues.load(dir.path() + QLatin1Char('/'), nullptr));
        QCOMPARE(issues.count(kBill), 2);
        QCOMPARE(texts.size(), 2);
        if (texts.first().isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(!texts[0].contains(QStringLiteral("再発行")));
        QVERIFY2(texts[1].contains(QStringLiteral("再発行 2014年03月21日")), qPrintable(texts[1]));
    }

    void printButtonsFollowThePaper_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QSizeF>("sheet");
        QTest::newRow("A4 receipt") << 1 << "PrintRyousyu" << QSizeF(210, 297);
        QTest::newRow("B5 bill") << 2 << "PrintSeikyu" << QSizeF(182, 257);
        QTest::newRow("combined whatever the paper") << 2 << "PrintW" << QSizeF(297, 210);
    }
    void printButtonsFollowThePaper()
    {
        QFETCH(int, paper);
        QFETCH(QString, button);
        QFETCH(QSizeF, sheet);
        if (printing::printerAvailable())
            QSKIP("a printer is installed: direct printing would not write the PDF");
        writeProgramDirectory(uint8_t(paper));
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w);
        QPushButton *b = w->findChild<QPushButton *>(button);
        QVERIFY(b);
        b->click();
        QVERIFY(QFile::exists(pdfPath));
        const QSizeF page = pdfPage(pdfPath);
        if (page.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY2(std::abs(page.width() - sheet.width()) < 0.5 && std::abs(page.height() - sheet.height()) < 0.5,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
    }
};

QTEST_MAIN(BillWindowDocumentsTest)
#include "bill_window_documents_qtest.moc"
