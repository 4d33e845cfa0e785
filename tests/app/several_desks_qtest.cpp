// Two desks on one database, through the real main window: a bill open at
// another desk opens here to be read only, naming that desk, and is never
// saved from here; another desk's save reaches this desk's lists. The
// database runs on a server the test starts itself.

#include "reports/month_sample.h"
#include "storage/pg_server.h"

#include "app/main_form.h"
#include "billing/meisai_form.h"
#include "printing/print_dialogs.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "storage/app_data.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/pg_store.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

class SeveralDesksTest : public QObject {
    Q_OBJECT

    PgServer *server = nullptr;
    QString database;
    QStringList shown;
    QList<ShownMessage> asked;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    uint32_t bill = 0;

    // Lines of the bill in the database, as one text.
    QString storedBill() const
    {
        return PgServer::query(database, QStringLiteral("SELECT string_agg(md5(record), ',' ORDER BY seq) "
                                                        "FROM bill_lines WHERE bill_no = %1")
                                             .arg(bill));
    }

private slots:
    void initTestCase()
    {
        QString why;
        server = PgServer::shared(&why);
        if (!server)
            QSKIP(qPrintable(why));
        database = importedSample();
        qputenv(DatabaseEnvironment, database.toUtf8());
        Clock::setFixed(QDateTime(QDate(2008, 3, 1), QTime(9, 0)));
    }

    // A new database holding the month's sample; its connection string.
    QString importedSample()
    {
        const QString db = server->newDatabase();
        QTemporaryDir folder;
        const MonthSample sample = marchSample();
        AppData files;
        files.ExePath = folder.path() + QLatin1Char('/');
        files.BaseData = sample.base;
        files.ReserveList = sample.lines;
        files.UrikakeList = sample.cards;
        seedDefaultKamoku(files.KamokuList);
        TLibrary lib;
        FolderContents contents;
        QString error;
        if (!saveBaseData(files, lib, &error) || !saveKamokuLists(files, lib, &error) || !saveBillLists(files, lib, &error)
            || !readFolderContents(folder.path(), &contents, &error))
            qFatal("%s", qPrintable(error));
        PgStore store(db, QStringLiteral("import"));
        if (!store.importFolder(contents, nullptr, &error))
            qFatal("%s", qPrintable(error));
        bill = sample.lines[0].MeiNo;
        return db;
    }
    void init()
    {
        shown.clear();
        asked.clear();
        answer = QMessageBox::Yes;
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.text;
            if (m.buttons & QMessageBox::No)
                asked << m;
            return m.buttons & QMessageBox::No ? answer : QMessageBox::Ok;
        });
    }
    void cleanup() { SetMessageResponder({}); }
    void cleanupTestCase()
    {
        qunsetenv(DatabaseEnvironment);
        Clock::setFixed(QDateTime());
    }

    void aBillHeldAtAnotherDeskOpensReadOnlyNamingIt()
    {
        QTemporaryDir deskDir;
        writeDesk(deskDir.path(), "フロント1");
        TMainForm main(deskDir.path());
        QVERIFY2(main.dataLoaded(), qPrintable(shown.join('\n')));
        PgStore office(database, QStringLiteral("事務所"));
        QVERIFY(office.holdBill(bill).held);

        const QString before = storedBill();
        QWidget *w = main.desk().openBillWindow(bill);
        QVERIFY(w);
        QVERIFY(shown.join('\n').contains(QStringLiteral("事務所")));
        QVERIFY(main.desk().isBillReadOnly());
        // Read, not greyed out; the caption names the desk; nothing in it changes.
        QVERIFY(w->isEnabled());
        QVERIFY2(w->windowTitle().contains(QStringLiteral("読み取りのみ")) && w->windowTitle().contains(QStringLiteral("事務所")),
                 qPrintable(w->windowTitle()));
        auto *name = w->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
        QVERIFY(name && name->isEnabled() && name->isReadOnly());
        // The bill prints (here into a PDF from the preview); a receipt, whose issue is stored with the bill, does not.
        auto *form = qobject_cast<TMeisaiForm *>(w);
        QVERIFY(form);
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("bill.pdf"));
        printing::setPdfPathChooser([pdf](QWidget *, const QString &) { return pdf; });
        printing::setPreviewHook([](QWidget *dialog) {
            QTimer::singleShot(0, dialog, [dialog] {
                if (QAction *save = dialog->findChild<QAction *>(QStringLiteral("SavePdfAction")))
                    save->trigger();
                static_cast<QDialog *>(dialog)->reject();
            });
        });
        QVERIFY(form->runDocument(BillPaper::A4, 1, DocumentMode::Preview));
        QVERIFY(QFileInfo(pdf).size() > 1000);
        shown.clear();
        QVERIFY(!form->runDocument(BillPaper::A4, 2, DocumentMode::Preview));
        QVERIFY2(shown.join('\n').contains(QStringLiteral("領収書は発行できません")), qPrintable(shown.join('\n')));
        printing::setPdfPathChooser({});
        printing::setPreviewHook({});
        QCOMPARE(PgServer::query(database, QStringLiteral("SELECT count(*) FROM receipt_issues WHERE bill_no = %1").arg(bill)),
                 QStringLiteral("0"));
        QVERIFY(main.closeBillWindow());
        QCOMPARE(storedBill(), before);

        // Free again: this desk holds it while its window is open, and the office is told so.
        office.releaseBill(bill);
        shown.clear();
        QVERIFY(main.desk().openBillWindow(bill));
        QVERIFY(!main.desk().isBillReadOnly());
        const BillHold hold = office.holdBill(bill);
        QVERIFY(!hold.held);
        QCOMPARE(hold.desk, QStringLiteral("フロント1"));
        QVERIFY(main.closeBillWindow());
        QVERIFY(office.holdBill(bill).held);
        office.releaseBill(bill);
    }

    // A first start on an empty database asks before making the tables, and a
    // start on older tables before upgrading them; Enter says no.
    void theTablesAreMadeOrUpgradedOnlyWhenTheClerkSaysSo()
    {
        const QString empty = server->newDatabase();
        qputenv(DatabaseEnvironment, empty.toUtf8());
        QTemporaryDir deskDir;
        writeDesk(deskDir.path(), "フロント1");
        answer = QMessageBox::No;
        {
            TMainForm main(deskDir.path());
            QCOMPARE(asked.size(), 1);
            QVERIFY2(asked[0].text.contains(QStringLiteral("表を作って")), qPrintable(asked[0].text));
            QCOMPARE(asked[0].defaultButton, QMessageBox::No);
            QVERIFY(!main.dataLoaded());
            QCOMPARE(PgServer::query(empty, QStringLiteral("SELECT to_regclass('norvel_schema') IS NULL")), QStringLiteral("t"));
        }
        answer = QMessageBox::Yes;
        asked.clear();
        {
            TMainForm main(deskDir.path());
            QVERIFY(!asked.isEmpty() && asked[0].text.contains(QStringLiteral("表を作って")));
            QVERIFY2(main.dataLoaded(), qPrintable(shown.join('\n')));
            QCOMPARE(PgServer::query(empty, QStringLiteral("SELECT version FROM norvel_schema")), QString::number(PgSchemaVersion));
            // Restoring is the server's: the window says how instead of opening.
            shown.clear();
            main.menuItem(QStringLiteral("Restore1"))->trigger();
            QVERIFY2(shown.join('\n').contains(QStringLiteral("pg_restore")), qPrintable(shown.join('\n')));
        }
        asked.clear();
        {
            TMainForm main(deskDir.path());
            for (const ShownMessage &m : asked)
                QVERIFY2(!m.text.contains(QStringLiteral("表を作って")), qPrintable(m.text));
            QVERIFY(main.dataLoaded());
        }

        // Tables of the first version: upgraded only when the clerk says so, No by default.
        const QString firstVersion = QStringLiteral("DROP TABLE receipt_issues; UPDATE norvel_schema SET version = 1");
        QCOMPARE(PgServer::query(empty, firstVersion), QString());
        const QString version = QStringLiteral("SELECT version FROM norvel_schema");
        for (const QMessageBox::StandardButton said : {QMessageBox::No, QMessageBox::Yes}) {
            answer = said;
            asked.clear();
            TMainForm main(deskDir.path());
            QVERIFY(!asked.isEmpty() && asked[0].text.contains(QStringLiteral("更新しますか")));
            QCOMPARE(asked[0].defaultButton, QMessageBox::No);
            QCOMPARE(main.dataLoaded(), said == QMessageBox::Yes);
            QCOMPARE(PgServer::query(empty, version), QString::number(said == QMessageBox::Yes ? PgSchemaVersion : 1));
        }
        qputenv(DatabaseEnvironment, database.toUtf8());
    }

    // A desk on a standby reads and prints; every bill opens read only and closes without a save.
    void aStandbyServerOpensEveryBillReadOnly()
    {
        const QString standby = importedSample();
        const QString name = standby.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
        QCOMPARE(server->exec(QStringLiteral("postgres"),
                              QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on").arg(name)),
                 QString());
        qputenv(DatabaseEnvironment, standby.toUtf8());
        QTemporaryDir deskDir;
        writeDesk(deskDir.path(), "フロント1");
        {
            TMainForm main(deskDir.path());
            QVERIFY2(shown.join('\n').contains(QStringLiteral("スタンバイ")), qPrintable(shown.join('\n')));
            QVERIFY(main.data().ReserveList.size() > 0);
            QWidget *w = main.desk().openBillWindow(bill);
            QVERIFY(w);
            QVERIFY(main.desk().isBillReadOnly());
            QVERIFY2(w->windowTitle().contains(QStringLiteral("読み取り専用のサーバー")), qPrintable(w->windowTitle()));
            shown.clear();
            QVERIFY(main.closeBillWindow());
            QVERIFY2(shown.isEmpty(), qPrintable(shown.join('\n')));
        }
        qputenv(DatabaseEnvironment, database.toUtf8());
    }

    void anotherDesksSaveReachesThisDesksLists()
    {
        QTemporaryDir deskDir;
        writeDesk(deskDir.path(), "フロント1");
        TMainForm main(deskDir.path());
        QVERIFY2(main.dataLoaded(), qPrintable(shown.join('\n')));
        QSignalSpy changed(&main.desk(), &FrontDesk::recordsChanged);

        // The office changes the bill's prices and saves it.
        AppData office;
        TLibrary lib;
        office.Store = std::make_shared<PgStore>(database, QStringLiteral("事務所"));
        QCOMPARE(loadAppData(office, lib, deskDir.path() + QStringLiteral("/office"), Clock::now()), QString());
        RecordList<TReserveData> &lines = office.ReserveList.edit();
        for (TReserveData &r : lines)
            if (r.MeiNo == bill)
                r.Tanka = 98765;
        const std::vector<uint32_t> one{bill};
        QString error;
        QCOMPARE(writeBillFiles(office, office.ReserveList, office.UrikakeList, lib, &error, {}, &one), CommitResult::Done);

        QVERIFY(changed.wait(10000));
        int seen = 0;
        for (const TReserveData &r : main.data().ReserveList)
            if (r.MeiNo == bill)
                seen += r.Tanka == 98765 ? 1 : -1000;
        QVERIFY(seen > 0);
    }

private:
    static void writeDesk(const QString &dir, const char *name)
    {
        // The settings file is CP932, as everywhere.
        IniFile ini(dir + QStringLiteral("/norvelreceipt.ini"));
        ini.setValue(QStringLiteral("Store"), QStringLiteral("Desk"), QString::fromUtf8(name));
        QVERIFY(ini.save());
    }
};

QTEST_MAIN(SeveralDesksTest)
#include "several_desks_qtest.moc"
