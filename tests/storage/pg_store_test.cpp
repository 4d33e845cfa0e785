// The records in PostgreSQL against a real server the test starts itself:
// a data folder moved in and out unchanged, the month exports the same from
// both stores, a bill's save writing only its own rows, bills held per desk,
// other desks told of a save, two desks in two processes, and the server
// killed in the middle of saves.

#include "pg_server.h"
#include "reports/month_sample.h"
#include "test_dir.h"

#include "storage/app_data.h"
#include "storage/ini_file.h"
#include "storage/library.h"
#include "storage/money_settings.h"
#include "storage/pg_store.h"
#include "storage/receipt_issues.h"
#include "storage/record_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cstring>

namespace {

const QDateTime kNow(QDate(2008, 4, 10), QTime(10, 0));

class PgStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        server = PgServer::shared(&why);
        if (!server)
            GTEST_SKIP() << why.toStdString();
        database = server->newDatabase();
    }

    // A realistic data folder: a month of bills, card receivables, the item
    // master, the facility settings and a settings file with dated money
    // settings and window placements.
    static void writeSampleFolder(const QString &dir)
    {
        const MonthSample sample = marchSample();
        TLibrary lib;
        ASSERT_TRUE(lib.WriteRecords(&sample.base, sizeof(TBaseData), dir + "/base.dat", 1));
        ASSERT_TRUE(lib.WriteRecords(sample.lines.data(), sizeof(TReserveData), dir + "/reserve.dat",
                                     int(sample.lines.size())));
        ASSERT_TRUE(lib.WriteRecords(sample.cards.data(), sizeof(TUrikakeData), dir + "/urikake.dat",
                                     int(sample.cards.size())));
        AppData kamoku;
        kamoku.ExePath = dir + QLatin1Char('/');
        seedDefaultKamoku(kamoku.KamokuList);
        // Blank entries a folder of an earlier version carries at the end of a file.
        kamoku.KamokuList[1].resize(kamoku.KamokuList[1].size() + 3);
        std::vector<RecordFile> files;
        for (int i = 0; i < KamokuCategories; ++i)
            files.push_back({kamoku.filePath(KamokuFileNames[size_t(i)]), kamoku.KamokuList[size_t(i)].data(),
                             int(sizeof(THojoKamoku)), kamoku.KamokuList[size_t(i)].size()});
        ASSERT_EQ(lib.WriteRecordFiles(files), CommitResult::Done);
        TMoneySettings money;
        money.Lodging.Enabled = true;
        ASSERT_EQ(readLodgingPeriods(QStringLiteral("2000/01/01:0=100,10000=300;2008/03/15:0=200,6000=400,20000=1000"),
                                     &money.Lodging.Periods),
                  QString());
        // Receipts issued for two bills, the first reissued.
        ReceiptIssues issues;
        for (int i : {0, 1, 0})
            issues.add({sample.lines[size_t(i) * 3].MeiNo, QDateTime(QDate(2008, 3, 20 + i), QTime(9, i)), i, i, 1, i == 0});
        ASSERT_EQ(lib.WriteRecordFiles({issues.file(dir + QLatin1Char('/'))}), CommitResult::Done);
        IniFile ini(dir + "/norvelreceipt.ini");
        ini.setValue(QStringLiteral("MeisaiForm"), QStringLiteral("t"), QStringLiteral("12"));
        writeMoneySettings(ini, money);
        ASSERT_TRUE(ini.save());
    }

    // The program copied into dir, so that dir is its data folder.
    static QString programIn(const QString &dir)
    {
        const QString program = dir + QStringLiteral("/norvel");
        if (!QFile::exists(program))
            QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program);
        return program;
    }

    struct Run {
        int status = -1;
        QString out, err;
    };
    // Runs the program of dir with args; with a database when conninfo is given.
    static Run norvel(const QString &dir, const QStringList &args, const QString &conninfo = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QLatin1String(DatabaseEnvironment));
        if (!conninfo.isEmpty())
            env.insert(QLatin1String(DatabaseEnvironment), conninfo);
        p.setProcessEnvironment(env);
        p.start(programIn(dir), args);
        Run r;
        if (p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit)
            r.status = p.exitCode();
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    // What the start reads, from the database.
    QString loadFromDatabase(AppData &data, TLibrary &lib, const QString &dir, const QString &desk = QStringLiteral("desk-A"))
    {
        auto store = std::make_shared<PgStore>(database, desk);
        EXPECT_TRUE(store->connected()) << store->error().toStdString();
        data.Store = store;
        return loadAppData(data, lib, dir, kNow);
    }

    QString sql(const QString &text) const { return PgServer::query(database, text); }

    PgServer *server = nullptr;
    QString database;
};

const QStringList kFiles = [] {
    QStringList names{QStringLiteral("base.dat"), QStringLiteral("reserve.dat"), QStringLiteral("urikake.dat"),
                      QLatin1String(ReceiptIssuesFileName), QStringLiteral("norvelreceipt.ini")};
    for (const char *k : KamokuFileNames)
        names << QLatin1String(k);
    return names;
}();

TEST_F(PgStoreTest, ImportThenExportGivesTheFolderByteForByte)
{
    QTemporaryDir source, out, runner;
    writeSampleFolder(source.path());

    Run check = norvel(runner.path(), {QStringLiteral("--check-store")}, database);
    EXPECT_NE(check.status, 0) << "an empty database has no schema yet";
    EXPECT_TRUE(check.out.contains(QStringLiteral("schema: none"))) << check.out.toStdString();

    const Run import = norvel(runner.path(), {QStringLiteral("--import-files"), source.path()}, database);
    ASSERT_EQ(import.status, 0) << import.err.toStdString();
    EXPECT_TRUE(import.out.contains(QStringLiteral("reserve.dat: %1 明細").arg(marchSample().lines.size())))
        << import.out.toStdString();

    check = norvel(runner.path(), {QStringLiteral("--check-store")}, database);
    EXPECT_EQ(check.status, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("schema: %1 (current %1)").arg(PgSchemaVersion))) << check.out.toStdString();

    // A second import would mix two inns: refused, nothing changed.
    const QString lines = sql(QStringLiteral("SELECT count(*) FROM bill_lines"));
    const Run again = norvel(runner.path(), {QStringLiteral("--import-files"), source.path()}, database);
    EXPECT_NE(again.status, 0);
    EXPECT_TRUE(again.err.contains(QStringLiteral("すでにデータがあります"))) << again.err.toStdString();
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bill_lines")), lines);

    const QString target = out.path() + QStringLiteral("/export");
    const Run exported = norvel(runner.path(), {QStringLiteral("--export-files"), target}, database);
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    for (const QString &name : kFiles) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray original = readBytes(source.path() + QLatin1Char('/') + name);
        ASSERT_FALSE(original.isEmpty());
        EXPECT_TRUE(readBytes(target + QLatin1Char('/') + name) == original);
    }
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), kFiles.size());
}

TEST_F(PgStoreTest, MonthExportsFromTheDatabaseEqualThoseFromTheFiles)
{
    QTemporaryDir files, desk;
    writeSampleFolder(files.path());
    ASSERT_EQ(norvel(desk.path(), {QStringLiteral("--import-files"), files.path()}, database).status, 0);
    for (const char *report : {"sales", "bathing", "receivables", "items", "lodging"}) {
        for (const char *month : {"2008-03", "2008-04"}) {
            SCOPED_TRACE(std::string(report) + " " + month);
            const QString fromFiles = files.path() + QStringLiteral("/out.csv");
            const QString fromDb = desk.path() + QStringLiteral("/out.csv");
            QFile::remove(fromFiles);
            QFile::remove(fromDb);
            const QStringList args{QStringLiteral("--export"), QLatin1String(report), QStringLiteral("--month"),
                                   QLatin1String(month), QStringLiteral("--out")};
            const Run a = norvel(files.path(), args + QStringList{fromFiles});
            const Run b = norvel(desk.path(), args + QStringList{fromDb}, database);
            ASSERT_EQ(a.status, 0) << a.err.toStdString();
            ASSERT_EQ(b.status, 0) << b.err.toStdString();
            const QByteArray csv = readBytes(fromFiles);
            EXPECT_GT(csv.size(), 100);
            EXPECT_TRUE(readBytes(fromDb) == csv);
        }
    }
}

TEST_F(PgStoreTest, TheStartReadsWhatTheFilesStoreReads)
{
    QTemporaryDir files, desk;
    writeSampleFolder(files.path());
    ASSERT_EQ(norvel(desk.path(), {QStringLiteral("--import-files"), files.path()}, database).status, 0);
    AppData fromFiles, fromDb;
    TLibrary libA, libB;
    EXPECT_EQ(loadAppData(fromFiles, libA, files.path(), kNow), QString());
    EXPECT_EQ(loadFromDatabase(fromDb, libB, desk.path()), QString());
    EXPECT_FALSE(libB.WritesRefused());
    EXPECT_EQ(std::memcmp(&fromFiles.BaseData, &fromDb.BaseData, sizeof(TBaseData)), 0);
    EXPECT_TRUE(fromFiles.Money == fromDb.Money);
    ASSERT_EQ(fromFiles.ReserveList.size(), fromDb.ReserveList.size());
    EXPECT_EQ(std::memcmp(fromFiles.ReserveList.records().data(), fromDb.ReserveList.records().data(),
                          fromDb.ReserveList.size() * sizeof(TReserveData)),
              0);
    ASSERT_EQ(fromFiles.UrikakeList.size(), fromDb.UrikakeList.size());
    for (int i = 0; i < KamokuCategories; ++i) {
        ASSERT_EQ(fromFiles.KamokuList[size_t(i)].size(), fromDb.KamokuList[size_t(i)].size());
        EXPECT_EQ(std::memcmp(fromFiles.KamokuList[size_t(i)].data(), fromDb.KamokuList[size_t(i)].data(),
                              fromDb.KamokuList[size_t(i)].size() * sizeof(THojoKamoku)),
                  0);
    }
    EXPECT_EQ(fromDb.StartFlags, 0);
    // This run's bill numbers lie above every stored one.
    uint32_t highest = 0;
    for (const TReserveData &r : fromDb.ReserveList)
        highest = std::max(highest, r.MeiNo);
    EXPECT_GT(fromDb.NextMeiNo, highest);
}

// A database without the program's tables is not started on: nothing is written.
TEST_F(PgStoreTest, AnEmptyDatabaseIsNotStartedOn)
{
    QTemporaryDir desk;
    AppData data;
    TLibrary lib;
    const QString message = loadFromDatabase(data, lib, desk.path());
    EXPECT_TRUE(message.contains(QStringLiteral("--import-files"))) << message.toStdString();
    EXPECT_TRUE(lib.WritesRefused());
    QString error;
    EXPECT_FALSE(saveBaseData(data, lib, &error));
}

class PgDeskTest : public PgStoreTest {
protected:
    void SetUp() override
    {
        PgStoreTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(folder.isValid());
        writeSampleFolder(folder.path());
        ASSERT_EQ(norvel(desk.path(), {QStringLiteral("--import-files"), folder.path()}, database).status, 0);
    }
    static uint32_t firstBill(const AppData &data) { return data.ReserveList[0].MeiNo; }
    QTemporaryDir folder, desk;
};

// Changes every line of the bill as the bill window's save leaves it: its lines at the end.
void changeBill(AppData &data, uint32_t bill, int32_t price)
{
    {
        RecordList<TReserveData> &list = data.ReserveList.edit();
        RecordList<TReserveData> mine;
        size_t kept = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].MeiNo == bill)
                mine.push_back(list[i]);
            else
                list[kept++] = list[i];
        }
        list.resize(kept);
        for (TReserveData r : mine) {
            r.Tanka = price;
            list.push_back(r);
        }
    }
}

TEST_F(PgDeskTest, ABillsSaveWritesOnlyItsOwnRows)
{
    AppData data;
    TLibrary lib;
    ASSERT_EQ(loadFromDatabase(data, lib, desk.path()), QString());
    const uint32_t bill = firstBill(data);
    const QString others = QStringLiteral("SELECT md5(string_agg(seq::text || ':' || md5(record), ',' ORDER BY seq)) "
                                          "FROM bill_lines WHERE bill_no <> %1")
                               .arg(bill);
    const QString before = sql(others);
    changeBill(data, bill, 12345);
    const std::vector<uint32_t> saved{bill};
    QString error;
    ASSERT_EQ(writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error, {}, &saved), CommitResult::Done)
        << error.toStdString();
    EXPECT_EQ(sql(others), before);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1 AND "
                                 "get_byte(record, 364) + 256 * get_byte(record, 365) = 12345")
                      .arg(bill)),
              sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1").arg(bill)));

    // What a later start reads is what this desk holds.
    AppData again;
    TLibrary lib2;
    ASSERT_EQ(loadFromDatabase(again, lib2, desk.path(), QStringLiteral("desk-B")), QString());
    ASSERT_EQ(again.ReserveList.size(), data.ReserveList.size());
    EXPECT_EQ(std::memcmp(again.ReserveList.records().data(), data.ReserveList.records().data(),
                          data.ReserveList.size() * sizeof(TReserveData)),
              0);

    // The files export of the database is the files store's own save of the same lists.
    QTemporaryDir out;
    ASSERT_EQ(norvel(desk.path(), {QStringLiteral("--export-files"), out.path() + QStringLiteral("/x")}, database).status, 0);
    AppData files;
    files.ExePath = out.path() + QStringLiteral("/files/");
    QDir().mkpath(files.ExePath);
    files.ReserveList = data.ReserveList;
    files.UrikakeList = data.UrikakeList;
    TLibrary plain;
    ASSERT_TRUE(saveBillLists(files, plain, &error)) << error.toStdString();
    for (const char *name : {"reserve.dat", "urikake.dat"})
        EXPECT_TRUE(readBytes(out.path() + QStringLiteral("/x/") + name) == readBytes(files.ExePath + name)) << name;
}

TEST_F(PgDeskTest, ABillHeldAtOneDeskIsNotSavedAtAnotherAndTheDeskIsNamed)
{
    AppData a, b;
    TLibrary libA, libB;
    ASSERT_EQ(loadFromDatabase(a, libA, desk.path(), QStringLiteral("フロント1")), QString());
    ASSERT_EQ(loadFromDatabase(b, libB, desk.path(), QStringLiteral("事務所")), QString());
    const uint32_t bill = firstBill(a);
    EXPECT_TRUE(a.Store->holdBill(bill).held);
    const BillHold other = b.Store->holdBill(bill);
    EXPECT_FALSE(other.held);
    EXPECT_EQ(other.desk, QStringLiteral("フロント1"));

    changeBill(b, bill, 999);
    const std::vector<uint32_t> saved{bill};
    QString error;
    EXPECT_EQ(writeBillFiles(b, b.ReserveList, b.UrikakeList, libB, &error, {}, &saved), CommitResult::Unchanged);
    EXPECT_TRUE(error.contains(QStringLiteral("フロント1"))) << error.toStdString();

    // The holder saves; the hold ends when it lets go.
    changeBill(a, bill, 777);
    EXPECT_EQ(writeBillFiles(a, a.ReserveList, a.UrikakeList, libA, &error, {}, &saved), CommitResult::Done);
    a.Store->releaseBill(bill);
    EXPECT_TRUE(b.Store->holdBill(bill).held);
}

TEST_F(PgDeskTest, AnotherDesksSaveReachesThisDesksLists)
{
    AppData a, b;
    TLibrary libA, libB;
    ASSERT_EQ(loadFromDatabase(a, libA, desk.path()), QString());
    ASSERT_EQ(loadFromDatabase(b, libB, desk.path(), QStringLiteral("desk-B")), QString());
    const uint32_t bill = firstBill(a);
    changeBill(a, bill, 4321);
    // A new bill from the list (as 新規伝票 makes it): its number from the database.
    TReserveData fresh = a.ReserveList[0];
    fresh.MeiNo = a.NextMeiNo++;
    a.ReserveList.push_back(fresh);
    QString error;
    ASSERT_EQ(writeBillFiles(a, a.ReserveList, a.UrikakeList, libA, &error), CommitResult::Done) << error.toStdString();

    QElapsedTimer waited;
    waited.start();
    bool told = false;
    while (!told && waited.elapsed() < 10000) {
        told = b.Store->takeNotices(b);
        if (!told)
            QThread::msleep(20);
    }
    ASSERT_TRUE(told);
    auto sorted = [](const AppData &d) {
        std::vector<std::string> v;
        for (const TReserveData &r : d.ReserveList)
            v.emplace_back(reinterpret_cast<const char *>(&r), sizeof r);
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(a), sorted(b));
    // Desk B's own numbers are not desk A's.
    EXPECT_NE(a.NextMeiNo / 100000, b.NextMeiNo / 100000);
}

// An issue goes into the bill's own transaction: refused with the save, stored with it.
TEST_F(PgDeskTest, AReceiptIssueIsStoredWithItsBillsSaveOrNotAtAll)
{
    AppData a, b;
    TLibrary libA, libB;
    ASSERT_EQ(loadFromDatabase(a, libA, desk.path()), QString());
    ASSERT_EQ(loadFromDatabase(b, libB, desk.path(), QStringLiteral("事務所")), QString());
    QString error;
    ReceiptIssues before;
    ASSERT_TRUE(before.load(a, &error)) << error.toStdString();
    ASSERT_EQ(before.all().size(), 3u);
    const uint32_t bill = firstBill(a);
    EXPECT_EQ(before.count(bill), 2);

    ASSERT_TRUE(b.Store->holdBill(bill).held);
    ReceiptIssues issues;
    ASSERT_TRUE(issues.load(a, &error));
    issues.add({bill, kNow, 1, 0, 2, true});
    changeBill(a, bill, 500);
    const std::vector<uint32_t> saved{bill};
    EXPECT_EQ(writeBillFilesWithReceipts(a, a.ReserveList, a.UrikakeList, libA, &error, issues, &saved),
              CommitResult::Unchanged);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM receipt_issues")), QStringLiteral("3"));

    b.Store->releaseBill(bill);
    ASSERT_EQ(writeBillFilesWithReceipts(a, a.ReserveList, a.UrikakeList, libA, &error, issues, &saved), CommitResult::Done)
        << error.toStdString();
    ReceiptIssues after;
    ASSERT_TRUE(after.load(b, &error)) << error.toStdString();
    ASSERT_EQ(after.all().size(), 4u);
    EXPECT_EQ(std::memcmp(after.all().data(), before.all().data(), 3 * sizeof(TReceiptIssueData)), 0);
    const TReceiptIssue last = after.of(bill).constLast();
    EXPECT_EQ(last.IssuedAt, kNow);
    EXPECT_EQ(last.Paper, 1);
    EXPECT_EQ(last.Keisyou, 2);
    EXPECT_TRUE(last.Tadashi);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1 AND "
                                 "get_byte(record, 364) + 256 * get_byte(record, 365) = 500")
                      .arg(bill)),
              sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1").arg(bill)));
}

// The tables are made or changed only when asked; otherwise nothing is read or written.
TEST_F(PgDeskTest, AnOlderOrNewerSchemaIsRefusedUntilMadeCurrent)
{
    const QString lines = sql(QStringLiteral("SELECT count(*) FROM bill_lines"));
    // The database as the first version of the program left it.
    ASSERT_EQ(sql(QStringLiteral("DROP TABLE receipt_issues; DELETE FROM stored_files WHERE name = 'receipts.dat'; "
                                 "UPDATE norvel_schema SET version = 1")),
              QString());
    const Run check = norvel(desk.path(), {QStringLiteral("--check-store")}, database);
    EXPECT_NE(check.status, 0);
    EXPECT_TRUE(check.out.contains(QStringLiteral("schema: 1 (current %1)").arg(PgSchemaVersion))) << check.out.toStdString();
    {
        AppData data;
        TLibrary lib;
        EXPECT_TRUE(loadFromDatabase(data, lib, desk.path()).contains(QStringLiteral("古い")));
        EXPECT_TRUE(lib.WritesRefused());
        EXPECT_EQ(data.Store->schema().state, StoreSchema::State::Older);
        EXPECT_EQ(data.Store->schema().version, 1);
        QString error;
        ASSERT_TRUE(data.Store->makeSchemaCurrent(&error)) << error.toStdString();
        EXPECT_EQ(data.Store->schema().state, StoreSchema::State::Current);
    }
    EXPECT_EQ(norvel(desk.path(), {QStringLiteral("--check-store")}, database).status, 0);
    AppData data;
    TLibrary lib;
    ASSERT_EQ(loadFromDatabase(data, lib, desk.path()), QString());
    EXPECT_EQ(QString::number(data.ReserveList.size()), lines);
    ReceiptIssues issues;
    QString error;
    EXPECT_TRUE(issues.load(data, &error)) << error.toStdString();
    EXPECT_TRUE(issues.all().empty());

    // A later version's tables are left alone.
    ASSERT_EQ(sql(QStringLiteral("UPDATE norvel_schema SET version = %1").arg(PgSchemaVersion + 1)), QString());
    AppData later;
    TLibrary lib2;
    EXPECT_TRUE(loadFromDatabase(later, lib2, desk.path()).contains(QStringLiteral("新しい")));
    EXPECT_TRUE(lib2.WritesRefused());
    EXPECT_FALSE(later.Store->makeSchemaCurrent(&error));
    EXPECT_EQ(sql(QStringLiteral("SELECT version FROM norvel_schema")), QString::number(PgSchemaVersion + 1));
}

TEST_F(PgStoreTest, AnEmptyDatabaseGetsItsTablesOnlyWhenAsked)
{
    QTemporaryDir desk;
    PgStore store(database, QStringLiteral("desk-A"));
    EXPECT_EQ(store.schema().state, StoreSchema::State::Missing);
    EXPECT_EQ(sql(QStringLiteral("SELECT to_regclass('norvel_schema') IS NULL")), QStringLiteral("t"));
    QString error;
    ASSERT_TRUE(store.makeSchemaCurrent(&error)) << error.toStdString();
    EXPECT_EQ(store.schema().state, StoreSchema::State::Current);
    // A start on the new tables: no records yet, writes allowed, bill numbers from the clock.
    AppData data;
    TLibrary lib;
    EXPECT_EQ(loadFromDatabase(data, lib, desk.path()), QString());
    EXPECT_FALSE(lib.WritesRefused());
    EXPECT_TRUE(data.StartFlags & MissingBaseData);
    EXPECT_TRUE(data.ReserveList.empty());
    EXPECT_GE(data.NextMeiNo, meiNoFromClock(kNow));
    // Once it holds data, no folder is imported over it.
    EXPECT_TRUE(saveBaseData(data, lib, &error)) << error.toStdString();
    QTemporaryDir source;
    writeSampleFolder(source.path());
    const Run import = norvel(desk.path(), {QStringLiteral("--import-files"), source.path()}, database);
    EXPECT_NE(import.status, 0);
}

// A standby (a server that takes no writes) is read and printed from, and gives no bill numbers.
TEST_F(PgDeskTest, AReadOnlyServerIsReadButNothingIsSavedOnIt)
{
    const QString name = database.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
    ASSERT_EQ(server->exec(QStringLiteral("postgres"),
                           QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on").arg(name)),
              QString());
    AppData data;
    TLibrary lib;
    const QString message = loadFromDatabase(data, lib, desk.path());
    EXPECT_TRUE(message.contains(QStringLiteral("スタンバイ"))) << message.toStdString();
    EXPECT_EQ(data.ReserveList.size(), marchSample().lines.size());
    EXPECT_TRUE(lib.WritesRefused());
    changeBill(data, firstBill(data), 1);
    QString error;
    EXPECT_EQ(writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error), CommitResult::Unchanged);
    EXPECT_TRUE(error.contains(QStringLiteral("スタンバイ"))) << error.toStdString();
}

// --- two desks in two processes --------------------------------------------------------------

// What one desk process does (run by the tests below as a second program).
TEST(DeskProcess, Run)
{
    const QByteArray mode = qgetenv("NORVEL_TEST_DESK");
    if (mode.isEmpty())
        GTEST_SKIP() << "run by the two-desk tests only";
    const QString conninfo = qEnvironmentVariable(DatabaseEnvironment);
    const QStringList args = qEnvironmentVariable("NORVEL_TEST_DESK_ARGS").split(QLatin1Char(' '));
    auto store = std::make_shared<PgStore>(conninfo, QString::fromUtf8(mode));
    ASSERT_TRUE(store->connected());
    AppData data;
    TLibrary lib;
    data.Store = store;
    QTemporaryDir dir;
    ASSERT_EQ(loadAppData(data, lib, dir.path(), kNow), QString());
    if (args[0] == QLatin1String("hold")) {
        ASSERT_TRUE(store->holdBill(args[1].toUInt()).held);
        std::printf("held\n");
        std::fflush(stdout);
        QThread::sleep(600); // until killed
        return;
    }
    // saves BILL COUNT NEW: COUNT saves of bill BILL, each with its own price,
    // and NEW new bills; until the server answers again when it is away.
    const uint32_t bill = args[1].toUInt();
    const int count = args[2].toInt(), fresh = args[3].toInt();
    int done = 0, failed = 0;
    const std::vector<uint32_t> one{bill};
    for (int i = 1; i <= count; ++i) {
        changeBill(data, bill, i);
        if (i <= fresh) {
            TReserveData r = data.ReserveList[0];
            r.MeiNo = data.NextMeiNo++;
            r.Tanka = i;
            data.ReserveList.push_back(r);
        }
        QString error;
        const CommitResult c = i <= fresh ? writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error)
                                          : writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error, {}, &one);
        if (c == CommitResult::Done) {
            ++done;
        } else {
            ++failed;
            --i; // the bill stays as it is, to be saved again
            QThread::msleep(50);
            if (failed > 2000)
                break;
        }
    }
    std::printf("done %d failed %d\n", done, failed);
}

class PgTwoDesksTest : public PgDeskTest {
protected:
    QProcess *startDesk(const QString &name, const QString &args)
    {
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NORVEL_TEST_DESK"), name);
        env.insert(QStringLiteral("NORVEL_TEST_DESK_ARGS"), args);
        env.insert(QLatin1String(DatabaseEnvironment), database);
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=DeskProcess.Run")});
        desks.emplace_back(p);
        return p;
    }
    static QString finish(QProcess *p)
    {
        p->waitForFinished(600000);
        return QString::fromLocal8Bit(p->readAllStandardOutput());
    }
    void TearDown() override
    {
        for (auto &p : desks)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
    }
    std::vector<std::unique_ptr<QProcess>> desks;
};

TEST_F(PgTwoDesksTest, TwoDesksSaveTheirBillsAThousandTimesWithoutLossOrDuplicateNumbers)
{
    AppData data;
    TLibrary lib;
    ASSERT_EQ(loadFromDatabase(data, lib, desk.path()), QString());
    const uint32_t billA = data.ReserveList[0].MeiNo;
    uint32_t billB = billA;
    for (const TReserveData &r : data.ReserveList)
        if (r.MeiNo != billA)
            billB = r.MeiNo;
    data.Store.reset();
    const qint64 bills = sql(QStringLiteral("SELECT count(*) FROM bills")).toLongLong();

    QProcess *a = startDesk(QStringLiteral("desk-A"), QStringLiteral("saves %1 1000 50").arg(billA));
    QProcess *b = startDesk(QStringLiteral("desk-B"), QStringLiteral("saves %1 1000 50").arg(billB));
    EXPECT_TRUE(finish(a).contains(QStringLiteral("done 1000 failed 0")));
    EXPECT_TRUE(finish(b).contains(QStringLiteral("done 1000 failed 0")));

    // Each bill holds its desk's last save whole; fifty new bills each, all numbers distinct.
    for (uint32_t bill : {billA, billB})
        EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1 AND "
                                     "substring(record from 365 for 4) <> '\\xe8030000'::bytea")
                          .arg(bill)),
                  QStringLiteral("0"));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bills")).toLongLong(), bills + 100);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(DISTINCT bill_no) FROM bill_lines")).toLongLong(), bills + 100);
}

TEST_F(PgTwoDesksTest, ADeskThatDiesLetsGoOfItsBill)
{
    AppData data;
    TLibrary lib;
    ASSERT_EQ(loadFromDatabase(data, lib, desk.path(), QStringLiteral("desk-B")), QString());
    const uint32_t bill = firstBill(data);
    QProcess *holder = startDesk(QStringLiteral("フロント1"), QStringLiteral("hold %1").arg(bill));
    QByteArray said;
    while (!said.contains("held\n") && holder->waitForReadyRead(60000))
        said += holder->readAllStandardOutput();
    ASSERT_TRUE(said.contains("held\n"));
    const BillHold hold = data.Store->holdBill(bill);
    EXPECT_FALSE(hold.held);
    EXPECT_EQ(hold.desk, QStringLiteral("フロント1"));
    changeBill(data, bill, 55);
    const std::vector<uint32_t> one{bill};
    QString error;
    EXPECT_EQ(writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error, {}, &one), CommitResult::Unchanged);
    EXPECT_TRUE(error.contains(QStringLiteral("フロント1")));

    holder->kill(); // the desk's PC dies
    holder->waitForFinished();
    bool free = false;
    for (int i = 0; i < 200 && !free; ++i) {
        free = data.Store->holdBill(bill).held;
        if (!free)
            QThread::msleep(50);
    }
    EXPECT_TRUE(free);
    EXPECT_EQ(writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error, {}, &one), CommitResult::Done);
}

TEST_F(PgTwoDesksTest, TheServerKilledInTheMiddleOfSavesLeavesEveryBillWholeAndTheDeskGoesOn)
{
    AppData data;
    TLibrary lib;
    ASSERT_EQ(loadFromDatabase(data, lib, desk.path()), QString());
    const uint32_t bill = firstBill(data);
    const QString lines = sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1").arg(bill));
    data.Store.reset();

    QProcess *a = startDesk(QStringLiteral("desk-A"), QStringLiteral("saves %1 400 0").arg(bill));
    QThread::msleep(200);
    ASSERT_TRUE(server->killAndRestart());
    const QString out = finish(a);
    EXPECT_TRUE(out.contains(QStringLiteral("done 400"))) << out.toStdString();
    // Saves failed while the server was away (each told), and the desk went on after it came back.
    EXPECT_FALSE(out.contains(QStringLiteral("failed 0"))) << out.toStdString();
    // Every line of the bill from one save, the last one; no line lost or doubled.
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM bill_lines WHERE bill_no = %1").arg(bill)), lines);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(DISTINCT substring(record from 365 for 4)) FROM bill_lines "
                                 "WHERE bill_no = %1")
                      .arg(bill)),
              QStringLiteral("1"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
