// The restore window on a temporary data folder: the generations newest
// first with their bills and newest settlement date, a damaged one shown as
// such and refused, a restore that asks first and keeps the current files,
// and a new clerk's restore into an empty data folder from a copy taken with
// --backup.

#include "app/main_form.h"
#include "settings/restore_form.h"
#include "shell/message_box.h"
#include "storage/app_data.h"
#include "storage/clock.h"
#include "storage/generations.h"
#include "storage/inn_files.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {

const QDateTime kNow(QDate(2026, 3, 10), QTime(9, 30));

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &b)
{
    QFile::remove(path); // the generation's file is a link: a new file, not the one it shares
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(b);
}

TReserveData billLine(uint32_t meiNo, const char *seisan)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    std::memcpy(r.Seisan, seisan, std::strlen(seisan)); // the rest stays zero
    std::memcpy(r.Rsvday, "2026/03/01", 10);
    return r;
}

// A data folder where bills 1, 2 and 3 were saved one after another, an hour apart.
void threeSaves(const QString &dir)
{
    AppData data;
    TLibrary lib;
    QVERIFY(loadAppData(data, lib, dir, kNow).isEmpty());
    const char *settled[] = {"2026/03/01", "2026/03/05", "2026/03/03"};
    for (int i = 0; i < 3; ++i) {
        Clock::setFixed(kNow.addSecs(3600 * i));
        data.ReserveList.push_back(billLine(uint32_t(i + 1), settled[i]));
        QString error;
        QVERIFY(saveBillLists(data, lib, &error));
    }
    Clock::setFixed(kNow.addSecs(4 * 3600));
}

QString cell(QTableWidget *grid, int row, int column)
{
    return grid->item(row, column) ? grid->item(row, column)->text() : QString();
}

} // namespace

class RestoreFormTest : public QObject {
    Q_OBJECT
    QList<ShownMessage> shown;
    QMessageBox::StandardButton answer = QMessageBox::Yes;

private slots:
    void init()
    {
        shown.clear();
        answer = QMessageBox::Yes;
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m;
            return m.buttons.testFlag(QMessageBox::Yes) ? answer : QMessageBox::Ok;
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void listsNewestFirstAndRefusesADamagedGeneration()
    {
        QTemporaryDir dir;
        threeSaves(dir.path());
        const QString backup = dir.path() + "/backup";
        std::vector<Generation> list = listGenerations(backup);
        QCOMPARE(list.size(), size_t(2)); // before the second and the third save
        // The older one cut short by a byte: damaged at sight.
        const QByteArray old = fileBytes(list[1].path + "/reserve.dat");
        writeBytes(list[1].path + "/reserve.dat", old.left(old.size() - 1));

        TRestoreForm form(dir.path(), backup);
        auto *grid = form.findChild<QTableWidget *>("GenerationGrid");
        auto *restore = form.findChild<QPushButton *>("RestoreButton");
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(cell(grid, 0, 0), "2026/03/10 11:30:00");
        QCOMPARE(cell(grid, 0, 1), "2");
        QCOMPARE(cell(grid, 0, 2), "2026/03/05");
        QCOMPARE(cell(grid, 0, 3), "正常");
        QVERIFY(cell(grid, 1, 3).startsWith("壊れています"));
        QVERIFY(restore->isEnabled());
        grid->selectRow(1);
        QVERIFY(!restore->isEnabled());

        // The newer one with a byte changed: found when a restore is tried.
        QByteArray b = fileBytes(list[0].path + "/reserve.dat");
        b[3] = char(b[3] ^ 1);
        writeBytes(list[0].path + "/reserve.dat", b);
        const QByteArray current = fileBytes(dir.path() + "/reserve.dat");
        grid->selectRow(0);
        form.RestoreClick();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains("壊れている"));
        QVERIFY(!form.Restored());
        QVERIFY(cell(grid, 0, 3).startsWith("壊れています"));
        QVERIFY(!restore->isEnabled());
        QCOMPARE(fileBytes(dir.path() + "/reserve.dat"), current);
    }

    void restoreAsksFirstAndKeepsTheCurrentFiles()
    {
        QTemporaryDir dir;
        threeSaves(dir.path());
        const QString backup = dir.path() + "/backup";
        const QByteArray three = fileBytes(dir.path() + "/reserve.dat");
        const Generation oldest = listGenerations(backup).back();
        const QByteArray one = fileBytes(oldest.path + "/reserve.dat");

        TRestoreForm form(dir.path(), backup);
        auto *grid = form.findChild<QTableWidget *>("GenerationGrid");
        grid->selectRow(1);
        answer = QMessageBox::No;
        form.RestoreClick();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains("2026/03/10 10:30:00"));
        QVERIFY(shown[0].text.contains("よろしいですか"));
        QCOMPARE(shown[0].defaultButton, QMessageBox::No); // Enter does not replace the data
        QCOMPARE(fileBytes(dir.path() + "/reserve.dat"), three);
        QVERIFY(!form.Restored());

        answer = QMessageBox::Yes;
        form.RestoreClick();
        QVERIFY(form.Restored());
        QCOMPARE(fileBytes(dir.path() + "/reserve.dat"), one);
        // What was replaced is the newest generation now.
        QCOMPARE(fileBytes(listGenerations(backup).front().path + "/reserve.dat"), three);
    }

    // A stick from elsewhere: a generation naming the program is damaged at
    // sight; one whose manifest claims 77 bills is refused when tried, never
    // asked about with the count it claims.
    void aCraftedGenerationIsRefusedWithItsReason()
    {
        QTemporaryDir inn, stick;
        threeSaves(inn.path());
        QString made, error;
        QVERIFY(backupDataFolder(inn.path(), stick.path() + "/norvel", kNow, &made, &error));
        const QString manifest = made + "/" + ManifestName;
        struct Case {
            const char *name;
            QByteArray from, to;
            const char *reason;
            bool damagedAtSight;
        } cases[] = {
            {"the program", "\nend\t", "\nfile\tnorvel\t10\t0123456789abcdef\nend\t", "データファイルでない名前", true},
            {"a count that lies", "\nbills\t3\n", "\nbills\t77\n", "請求書の件数", false},
        };
        const QByteArray original = fileBytes(manifest);
        const QByteArray current = fileBytes(inn.path() + "/reserve.dat");
        for (const Case &c : cases) {
            QByteArray m = original;
            QVERIFY2(m.contains(c.from), c.name);
            m.replace(c.from, c.to);
            if (c.damagedAtSight) // one line more
                m.replace(QByteArray("\nend\t") + QByteArray::number(original.count("\nfile\t")),
                          QByteArray("\nend\t") + QByteArray::number(original.count("\nfile\t") + 1));
            writeBytes(manifest, m);
            shown.clear();
            TRestoreForm form(inn.path(), stick.path() + "/norvel");
            auto *grid = form.findChild<QTableWidget *>("GenerationGrid");
            auto *restore = form.findChild<QPushButton *>("RestoreButton");
            QCOMPARE(grid->rowCount(), 1);
            QCOMPARE(cell(grid, 0, 3).startsWith("壊れています"), c.damagedAtSight);
            QVERIFY2(!c.damagedAtSight || cell(grid, 0, 3).contains(c.reason), qPrintable(cell(grid, 0, 3)));
            QCOMPARE(restore->isEnabled(), !c.damagedAtSight);
            form.RestoreClick();
            if (!c.damagedAtSight) {
                QCOMPARE(shown.size(), 1);
                QVERIFY2(shown[0].text.contains(c.reason), qPrintable(shown[0].text));
                QVERIFY(!shown[0].text.contains("よろしいですか"));
                QVERIFY(cell(grid, 0, 3).startsWith("壊れています"));
            }
            QVERIFY(!form.Restored());
            QCOMPARE(fileBytes(inn.path() + "/reserve.dat"), current);
            QVERIFY(!QFileInfo::exists(inn.path() + "/norvel"));
        }
    }

    // Opening the restore window and cancelling it leaves the clerk's windows
    // as they were; they close only for a confirmed restore.
    void cancelledRestoreLeavesTheWindowsOpen()
    {
        QTemporaryDir dir;
        threeSaves(dir.path());
        TMainForm main(dir.path());
        main.menuItem("KamokuMenu")->trigger();
        QVERIFY(main.findChildWindow("KamokuForm"));
        bool stillOpenWhileAsked = false;
        answer = QMessageBox::No;
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TRestoreForm *>(QApplication::activeModalWidget());
            QVERIFY(form);
            stillOpenWhileAsked = main.findChildWindow("KamokuForm") != nullptr;
            form->findChild<QTableWidget *>("GenerationGrid")->selectRow(0);
            form->RestoreClick(); // answered No
            form->reject();
        });
        main.menuItem("Restore1")->trigger();
        QVERIFY(stillOpenWhileAsked);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains("よろしいですか"));
        QVERIFY(main.findChildWindow("KamokuForm"));
    }

    // ヘルプ → バックアップから復元 on a new machine: the program started on an
    // empty folder, the copy taken with --backup chosen, the data read again.
    void newClerkRestoresIntoAnEmptyFolderFromTheCommandLineCopy()
    {
        QTemporaryDir inn, stick, fresh;
        threeSaves(inn.path());
        {
            // The inn's settings and item master too, as a working inn has them.
            AppData data;
            TLibrary lib;
            QVERIFY(loadAppData(data, lib, inn.path(), Clock::now()).isEmpty());
            seedDefaultKamoku(data.KamokuList);
            QString error;
            QVERIFY(saveBaseData(data, lib, &error));
            QVERIFY(saveKamokuLists(data, lib, &error));
        }
        QString made, error;
        QVERIFY(backupDataFolder(inn.path(), stick.path() + "/norvel", kNow, &made, &error));

        TMainForm main(fresh.path());
        QCOMPARE(main.data().StartFlags, MissingBaseData | MissingKamoku | MissingReserve);
        QCOMPARE(main.data().ReserveList.size(), size_t(0));
        int listedHere = -1, listedThere = -1;
        bool hintHere = false, hintThere = true;
        TRestoreForm::FolderDialog = [&](QWidget *) { return stick.path() + "/norvel"; };
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TRestoreForm *>(QApplication::activeModalWidget());
            QVERIFY(form);
            auto *grid = form->findChild<QTableWidget *>("GenerationGrid");
            auto *hint = form->findChild<QLabel *>("EmptyHint");
            listedHere = grid->rowCount();
            hintHere = hint->isVisibleTo(form);
            form->OtherFolderClick();
            listedThere = grid->rowCount();
            hintThere = hint->isVisibleTo(form);
            form->RestoreClick();
            if (form->isVisible()) // a refusal leaves it open
                form->reject();
        });
        // A window open on the data about to be replaced closes first.
        main.menuItem("KamokuMenu")->trigger();
        QVERIFY(main.findChildWindow("KamokuForm"));
        main.menuItem("Restore1")->trigger();
        QVERIFY(!main.findChildWindow("KamokuForm"));
        TRestoreForm::FolderDialog = {};
        QCOMPARE(listedHere, 0);
        QVERIFY(hintHere); // none here: the way to another folder is told
        QCOMPARE(listedThere, 1);
        QVERIFY(!hintThere);
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].text.contains("よろしいですか"));
        QVERIFY(shown[1].text.contains("戻しました"));

        for (const QString &n : innFileNames())
            if (QFileInfo::exists(inn.path() + "/" + n))
                QCOMPARE(fileBytes(fresh.path() + "/" + n), fileBytes(inn.path() + "/" + n));
        // Read again: the bills are there and nothing counts as a first start.
        QCOMPARE(main.data().ReserveList.size(), size_t(3));
        QCOMPARE(main.data().StartFlags, 0);
        QVERIFY(main.dataLoaded());
    }
};

QTEST_MAIN(RestoreFormTest)
#include "restore_form_qtest.moc"
