// Backup generations: every save keeps the files as they were; the set kept
// over two years is exactly the promised one; a generation made or a restore
// cut short anywhere (a failing call, kill -9) leaves after the next start
// data files that are one whole generation, and only whole generations.

#include "generation_fixture.h"
#include "storage/app_data.h"
#include "storage/backup_command.h"
#include "storage/checksum.h"
#include "storage/commit_keeper.h"
#include "storage/clock.h"
#include "storage/file_ops.h"
#include "storage/generations.h"
#include "storage/inn_files.h"
#include "storage/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2026, 3, 10), QTime(9, 30));

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &b)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

QString sweepRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? QStringLiteral("/dev/shm/norvel-gen-XXXXXX")
                                           : QDir::tempPath() + QStringLiteral("/norvel-gen-XXXXXX");
}

QStringList names(const std::vector<Generation> &list)
{
    QStringList n;
    for (const Generation &g : list)
        n << g.name;
    return n;
}

TEST(GenerationFiles, AreEveryFileTheProgramWritesInItsFolder)
{
    const QStringList names = innFileNames();
    for (const char *k : KamokuFileNames)
        EXPECT_TRUE(names.contains(QLatin1String(k))) << k;
    for (const QString &n : names)
        EXPECT_TRUE(isProgramFile(n)) << n.toStdString();
    EXPECT_EQ(names.size(), 18);
}

TEST(Checksum, IsTheStandardSixtyFourBitXxHash)
{
    struct Case {
        const char *text;
        uint64_t value;
    } cases[] = {
        {"", 0xEF46DB3751D8E999ull},
        {"a", 0xD24EC4F1A98C6E5Bull},
        {"abc", 0x44BC2CF5AD770999ull},
        {"Nobody inspects the spammish repetition", 0xFBCEA83C8A378BF1ull},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Checksum64 whole;
        whole.add(c.text, std::strlen(c.text));
        EXPECT_EQ(whole.value(), c.value);
        Checksum64 bytewise; // fed in pieces: the same value
        for (const char *p = c.text; *p; ++p)
            bytewise.add(p, 1);
        EXPECT_EQ(bytewise.value(), c.value);
    }
}

// A data folder loaded as at start, with two bills saved.
class Generations : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.path() + QLatin1Char('/');
        ASSERT_TRUE(loadAppData(data, lib, path, kNow).isEmpty());
        seedDefaultKamoku(data.KamokuList);
        QString error;
        ASSERT_TRUE(saveBaseData(data, lib, &error)) << error.toStdString();
        ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();
        data.ReserveList.push_back(billLine(100, "2026/03/02"));
        data.ReserveList.push_back(billLine(100, "2026/03/02"));
        data.ReserveList.push_back(billLine(101, ""));
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    }

    QTemporaryDir dir{sweepRoot()};
    QString path;
    AppData data;
    TLibrary lib;
    FixedClock clock{kNow};
};

TEST_F(Generations, EverySaveKeepsTheFilesAsTheyWereBefore)
{
    struct Save {
        const char *name;
        const char *file; // a file the save changes
        std::function<bool(AppData &, TLibrary &, QString *)> save;
    } saves[] = {
        {"bill", "reserve.dat",
         [](AppData &d, TLibrary &l, QString *e) {
             d.ReserveList.push_back(billLine(102, "2026/03/09"));
             return saveBillLists(d, l, e);
         }},
        {"item master", "kmk_syu.dat",
         [](AppData &d, TLibrary &l, QString *e) {
             d.KamokuList[0][0].Tanka = 12345;
             return saveKamokuLists(d, l, e);
         }},
        {"settings", "base.dat",
         [](AppData &d, TLibrary &l, QString *e) {
             d.BaseData.Nyutouzei = 200;
             return saveBaseData(d, l, e);
         }},
        {"deletion", "reserve.dat",
         [](AppData &d, TLibrary &l, QString *e) {
             d.ReserveList.clear();
             return saveReserveList(d, l, e);
         }},
    };
    for (const Save &s : saves) {
        SCOPED_TRACE(s.name);
        std::map<QString, QByteArray> before;
        for (const QString &n : innFileNames())
            if (QFileInfo::exists(path + n))
                before[n] = fileBytes(path + n);
        QString error;
        ASSERT_TRUE(s.save(data, lib, &error)) << error.toStdString();
        ASSERT_NE(fileBytes(path + s.file), before[s.file]);
        std::vector<Generation> list = listGenerations(data.BackupPath);
        ASSERT_FALSE(list.empty());
        Generation &g = list.front();
        EXPECT_TRUE(checkGeneration(g, true)) << g.problem.toStdString();
        ASSERT_EQ(g.files.size(), before.size());
        for (const auto &[name, bytes] : before)
            EXPECT_EQ(fileBytes(g.path + QLatin1Char('/') + name), bytes) << name.toStdString();
    }
    // Newest first, each with the bills of its reserve.dat.
    const std::vector<Generation> list = listGenerations(data.BackupPath);
    EXPECT_EQ(list[0].bills, 3); // before the deletion: 100, 101 and 102
    EXPECT_EQ(list[0].newestSettlement, "2026/03/09");
    EXPECT_EQ(list.back().bills, 0); // before the first bill save
}

TEST_F(Generations, DamageIsFoundAndADamagedGenerationIsNotRestored)
{
    data.ReserveList.push_back(billLine(102, "2026/03/09"));
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error));
    Generation g = listGenerations(data.BackupPath).front();
    ASSERT_TRUE(checkGeneration(g, true));
    // The generation's reserve.dat is a link to a file no longer current:
    // a byte changed in it changes no data file.
    const QString kept = g.path + QStringLiteral("/reserve.dat");
    QByteArray b = fileBytes(kept);
    b[10] = char(b[10] ^ 1);
    QFile::remove(kept);
    writeBytes(kept, b);
    g = listGenerations(data.BackupPath).front();
    EXPECT_TRUE(checkGeneration(g, false)); // the sizes still agree
    g.problem.clear();
    EXPECT_FALSE(checkGeneration(g, true));
    EXPECT_TRUE(g.problem.contains("reserve.dat")) << g.problem.toStdString();
    const QByteArray current = fileBytes(path + "reserve.dat");
    EXPECT_FALSE(restoreGeneration(g, path, &error));
    EXPECT_EQ(fileBytes(path + "reserve.dat"), current);
}

TEST_F(Generations, RestorePutsAGenerationBackAndKeepsTheCurrentFiles)
{
    const QByteArray twoBills = fileBytes(path + "reserve.dat");
    data.ReserveList.push_back(billLine(102, "2026/03/09"));
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error));
    const QByteArray threeBills = fileBytes(path + "reserve.dat");
    const Generation g = listGenerations(data.BackupPath).front();
    ASSERT_TRUE(restoreGeneration(g, path, &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(path + "reserve.dat"), twoBills);
    // The files replaced are the newest generation now.
    const Generation current = listGenerations(data.BackupPath).front();
    EXPECT_EQ(fileBytes(current.path + "/reserve.dat"), threeBills);
}

TEST_F(Generations, CommandLineCopyIsAWholeGenerationThatChecks)
{
    QTemporaryDir stick;
    QString made, error;
    ASSERT_TRUE(backupDataFolder(path, stick.path() + "/norvel", kNow, &made, &error)) << error.toStdString();
    Generation g = readGeneration(made);
    ASSERT_TRUE(checkGeneration(g, true)) << g.problem.toStdString();
    EXPECT_EQ(g.bills, 2);
    for (const QString &n : innFileNames()) {
        if (QFileInfo::exists(path + n)) {
            EXPECT_EQ(fileBytes(made + "/" + n), fileBytes(path + n)) << n.toStdString();
        }
    }
    // A second copy in the same second gets a folder of its own.
    QString second;
    ASSERT_TRUE(backupDataFolder(path, stick.path() + "/norvel", kNow, &second, &error));
    EXPECT_NE(second, made);
    EXPECT_EQ(names(listGenerations(stick.path() + "/norvel")),
              QStringList({"2026_03_10_093000_2", "2026_03_10_093000"}));
}

TEST_F(Generations, VerifyBackupExitsZeroOnlyWhenEveryCheckPasses)
{
    QTemporaryDir stick;
    const QString dest = stick.path() + "/norvel";
    QString out, err;
    ASSERT_EQ(runBackupCommand({"--backup", dest}, path, kNow, &out, &err), BackupOk) << err.toStdString();
    EXPECT_TRUE(out.startsWith("OK")) << out.toStdString();
    const QString made = dest + "/2026_03_10_093000";
    struct Case {
        const char *name;
        std::function<void()> harm;
        QStringList args;
        int status;
        const char *said; // in the output or the message
    } cases[] = {
        {"no folder given", [] {}, {"--verify-backup"}, BackupUsage, "usage"},
        {"a folder without generations", [] {}, {"--verify-backup", stick.path()}, BackupFailed, "no backup"},
        {"all well", [] {}, {"--verify-backup", dest}, BackupOk, "OK  2026_03_10_093000"},
        {"one generation named", [] {}, {"--verify-backup", made}, BackupOk, "請求書 2 件"},
        {"a byte changed", [&] {
             QByteArray b = fileBytes(made + "/reserve.dat");
             b[5] = char(b[5] ^ 0x40);
             writeBytes(made + "/reserve.dat", b);
         },
         {"--verify-backup", dest}, BackupFailed, "チェックサム"},
        {"a record cut short", [&] {
             QByteArray b = fileBytes(made + "/reserve.dat");
             writeBytes(made + "/reserve.dat", b.left(b.size() - 1));
         },
         {"--verify-backup", dest}, BackupFailed, "大きさ"},
        {"no manifest", [&] { QFile::remove(made + "/norvel.manifest"); }, {"--verify-backup", dest}, BackupFailed,
         "目録"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.harm();
        out.clear();
        err.clear();
        EXPECT_EQ(runBackupCommand(c.args, path, kNow, &out, &err), c.status);
        EXPECT_TRUE((out + err).contains(QString::fromUtf8(c.said))) << (out + "|" + err).toStdString();
    }
}

TEST(GenerationPruning, TwoYearsOfSavesKeepExactlyThePromisedSet)
{
    QTemporaryDir dir(sweepRoot());
    const QString data = dir.path(), backup = dir.path() + "/backup";
    keepGenerations(data, backup, data + "/norvelreceipt.ini");
    // A schedule with gaps: 0 to 3 saves a day, no saves at all some weeks.
    std::vector<QDateTime> saves;
    const QDate first(2024, 1, 1);
    for (int day = 0; day < 731; ++day) {
        // Sparse at first (a save every few days), busy in the last three weeks.
        const int n = day < 710 ? (day % 5 == 0 ? 1 + day % 2 : 0) : (day * 7) % 4;
        if (day < 710 && (day / 7) % 9 == 4)
            continue;
        for (int i = 0; i < n; ++i)
            saves.emplace_back(first.addDays(day), QTime(8 + 5 * i, 15, i == 2 ? 59 : 0));
    }
    // Twice in the same second at the end, as a fast clerk can.
    saves.push_back(saves.back());
    QByteArray content("0");
    for (const QDateTime &t : saves) {
        FixedClock clock(t);
        content += 'x';
        QString error;
        ASSERT_EQ(commitFiles(data, {{"urikake.dat", content.constData(), std::size_t(content.size())}}, &error),
                  CommitResult::Done)
            << error.toStdString();
    }
    setCommitKeeper(data, {});
    // What is promised, from the list of saves alone: the first save had nothing to keep.
    std::vector<std::pair<QDateTime, QString>> made; // newest first
    std::map<QString, int> perSecond;
    for (size_t i = 1; i < saves.size(); ++i) {
        const QString stamp = saves[i].toString("yyyy_MM_dd_HHmmss");
        const int seq = ++perSecond[stamp];
        made.insert(made.begin(), {saves[i], seq == 1 ? stamp : stamp + QStringLiteral("_%1").arg(seq)});
    }
    const QDateTime now = saves.back();
    QSet<QString> promised;
    QSet<QDate> days;
    QSet<QPair<int, int>> months;
    for (size_t i = 0; i < made.size(); ++i) {
        const QDate d = made[i].first.date();
        if (i < 20)
            promised.insert(made[i].second);
        if (d.daysTo(now.date()) < 14 && !days.contains(d))
            promised.insert(made[i].second);
        const int monthsAgo = (now.date().year() - d.year()) * 12 + now.date().month() - d.month();
        if (monthsAgo < 24 && !months.contains({d.year(), d.month()}))
            promised.insert(made[i].second);
        days.insert(d);
        months.insert({d.year(), d.month()});
    }
    const QStringList kept = names(listGenerations(backup));
    EXPECT_EQ(QSet<QString>(kept.begin(), kept.end()), promised);
    EXPECT_GT(promised.size(), 20 + 10);
    EXPECT_EQ(QDir(backup).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), kept.size());
    // And the files the newest holds are the ones before the last save.
    const Generation newest = listGenerations(backup).front();
    EXPECT_EQ(fileBytes(newest.path + "/urikake.dat"), content.chopped(1));
}

TEST(GenerationPruning, NeverRemovesTheNewestAndReadsTheSettingsFile)
{
    QTemporaryDir dir(sweepRoot());
    IniFile ini(dir.path() + "/norvelreceipt.ini");
    ini.setValue("Backup", "KeepSaves", "1");
    ini.setValue("Backup", "KeepDays", "0");
    ini.setValue("Backup", "KeepMonths", "0");
    ASSERT_TRUE(ini.save());
    const GenerationPolicy p = readGenerationPolicy(dir.path() + "/norvelreceipt.ini");
    EXPECT_EQ(p.keepSaves, 1);
    EXPECT_EQ(p.keepDays, 0);
    EXPECT_EQ(p.keepMonths, 0);
    const GenerationPolicy defaults = readGenerationPolicy(dir.path() + "/none.ini");
    EXPECT_EQ(defaults.keepSaves, 20);
    EXPECT_EQ(defaults.keepDays, 14);
    EXPECT_EQ(defaults.keepMonths, 24);

    std::vector<Generation> list;
    for (int i = 0; i < 5; ++i) {
        Generation g;
        g.when = kNow.addDays(-i * 40);
        g.name = g.when.toString("yyyy_MM_dd_HHmmss");
        g.complete = true;
        list.push_back(g);
    }
    EXPECT_EQ(generationsToKeep(list, {0, 0, 0}, kNow), QSet<QString>({list[0].name}));
    // A generation dated after now (a clock set back) is never pruned.
    Generation future = list[0];
    future.when = kNow.addDays(3);
    future.name = future.when.toString("yyyy_MM_dd_HHmmss");
    list.push_back(future);
    EXPECT_EQ(generationsToKeep(list, {1, 0, 0}, kNow), QSet<QString>({future.name}));
}

// Counts every file operation; fails or kills the process at a chosen one.
class FaultOps : public FileOps {
public:
    enum Mode { Count, FailOnce, KillBefore, KillAfter };
    Mode mode = Count;
    int at = 0;
    int calls = 0;

    int mkstemp(char *t) override { return call([&] { return FileOps::mkstemp(t); }); }
    int open(const char *p, int f) override { return call([&] { return FileOps::open(p, f); }); }
    ssize_t write(int fd, const void *d, std::size_t n) override { return call([&] { return FileOps::write(fd, d, n); }); }
    int fsync(int fd) override { return call([&] { return FileOps::fsync(fd); }); }
    int close(int fd) override { return call([&] { return FileOps::close(fd); }, true); }
    int rename(const char *a, const char *b) override { return call([&] { return FileOps::rename(a, b); }); }
    int link(const char *a, const char *b) override { return call([&] { return FileOps::link(a, b); }); }
    int unlink(const char *p) override { return call([&] { return FileOps::unlink(p); }); }
    int mkdir(const char *p, mode_t m) override { return call([&] { return FileOps::mkdir(p, m); }); }
    int rmdir(const char *p) override { return call([&] { return FileOps::rmdir(p); }); }

private:
    template <class F> auto call(F op, bool releases = false) -> decltype(op())
    {
        const int n = ++calls;
        if (n == at && mode == KillBefore)
            ::kill(::getpid(), SIGKILL);
        if (n == at && mode == FailOnce) {
            if (releases)
                op();
            errno = EIO;
            return decltype(op())(-1);
        }
        const auto r = op();
        if (n == at && mode == KillAfter)
            ::kill(::getpid(), SIGKILL);
        return r;
    }
};

using Files = std::map<QString, QByteArray>;

Files dataFiles(const QString &dir)
{
    Files f;
    for (const QString &n : innFileNames())
        if (QFileInfo::exists(dir + "/" + n))
            f[n] = fileBytes(dir + "/" + n);
    return f;
}

Files generationFiles(const Generation &g)
{
    Files f;
    for (const GenerationFile &file : g.files)
        f[file.name] = fileBytes(g.path + "/" + file.name);
    return f;
}

// Two ways a generation is made or used: a bill save (which makes one), and a
// restore of the oldest one (which makes one of the current files first).
struct Step {
    const char *name;
    std::function<void(const QString &dir)> run;
};

void billSave(const QString &dir)
{
    FixedClock clock(kNow);
    AppData data;
    TLibrary lib;
    loadAppData(data, lib, dir, kNow);
    data.ReserveList.push_back(billLine(200, "2026/03/10"));
    data.UrikakeList.push_back(TUrikakeData{200, "2026/03/10", "", 101001, 5000});
    QString error;
    saveBillLists(data, lib, &error);
}

void restoreOldest(const QString &dir)
{
    FixedClock clock(kNow);
    AppData data;
    TLibrary lib;
    loadAppData(data, lib, dir, kNow);
    const std::vector<Generation> list = listGenerations(data.BackupPath);
    QString error;
    restoreGeneration(list.back(), dir, &error);
}

// A folder with three generations behind it.
void prepare(const QString &dir)
{
    AppData data;
    TLibrary lib;
    FixedClock clock(kNow.addDays(-2));
    loadAppData(data, lib, dir, kNow);
    QString error;
    ASSERT_TRUE(saveBaseData(data, lib, &error));
    for (int i = 0; i < 2; ++i) {
        data.ReserveList.push_back(billLine(100 + uint32_t(i), "2026/03/08"));
        TUrikakeData u{};
        u.MeiNo = 100 + uint32_t(i);
        u.Goukei = 1000 * i;
        data.UrikakeList.push_back(u);
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    }
}

struct Outcome {
    int runs = 0, mixed = 0, halfOffered = 0, damaged = 0, leftOver = 0, lost = 0;
};

// After the next start: the data files are one whole state (before or after),
// no generation folder lacks its manifest, every generation checks, and no
// generation that existed before is lost.
void judge(const QString &dir, const Files &before, const Files &after, const QStringList &generationsBefore,
           Outcome &o)
{
    AppData data;
    TLibrary lib;
    loadAppData(data, lib, dir, kNow);
    ++o.runs;
    const Files now = dataFiles(dir);
    if (now != before && now != after) {
        ++o.mixed;
        ADD_FAILURE() << "data files are neither the state before nor the one after";
    }
    const std::vector<Generation> all = listGenerations(data.BackupPath, true);
    for (Generation g : all) {
        if (!g.complete) {
            ++o.halfOffered;
            ADD_FAILURE() << "a generation without manifest remains: " << g.name.toStdString();
        } else if (!checkGeneration(g, true)) {
            ++o.damaged;
            ADD_FAILURE() << g.name.toStdString() << ": " << g.problem.toStdString();
        }
    }
    const QStringList left = names(all);
    for (const QString &n : generationsBefore)
        if (!left.contains(n))
            ++o.lost;
    for (const QString &n : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        if (!innFileNames().contains(n))
            ++o.leftOver;
}

TEST(GenerationFaults, EveryStepOfMakingAGenerationAndOfARestoreFailsOrIsKilled)
{
    const Step steps[] = {{"bill save", billSave}, {"restore", restoreOldest}};
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        // The calls of one run, and the states before and after.
        QTemporaryDir learn(sweepRoot());
        prepare(learn.path());
        const Files before = dataFiles(learn.path());
        const QStringList generationsBefore = names(listGenerations(learn.path() + "/backup"));
        Files restored;
        if (std::string(step.name) == "restore")
            restored = generationFiles(listGenerations(learn.path() + "/backup").back());
        FaultOps counter;
        setFileOps(&counter);
        step.run(learn.path());
        setFileOps(nullptr);
        const Files after = dataFiles(learn.path());
        ASSERT_NE(before, after);
        if (std::string(step.name) == "restore") {
            // Bill lines and receivables that did not exist then are none now.
            for (const char *n : {"reserve.dat", "urikake.dat"})
                if (!restored.count(n) && before.count(n))
                    restored[n] = QByteArray();
            ASSERT_EQ(after, restored);
        }
        const int operations = counter.calls;
        ASSERT_GT(operations, 20);

        for (auto mode : {FaultOps::FailOnce, FaultOps::KillBefore}) {
            Outcome o;
            for (int at = 1; at <= operations; ++at) {
                SCOPED_TRACE(at);
                QTemporaryDir dir(sweepRoot());
                prepare(dir.path());
                if (mode == FaultOps::FailOnce) {
                    FaultOps faults;
                    faults.mode = mode;
                    faults.at = at;
                    setFileOps(&faults);
                    step.run(dir.path());
                    setFileOps(nullptr);
                } else {
                    std::fflush(nullptr);
                    const pid_t child = ::fork();
                    if (child == 0) {
                        FaultOps faults;
                        faults.mode = mode;
                        faults.at = at;
                        setFileOps(&faults);
                        step.run(dir.path());
                        ::_exit(0);
                    }
                    int status = 0;
                    ::waitpid(child, &status, 0);
                    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
                }
                judge(dir.path(), before, after, generationsBefore, o);
            }
            std::printf("%s, mode %d: %d runs, %d mixed, %d half generations offered, %d damaged, %d lost, "
                        "%d files left over\n",
                        step.name, int(mode), o.runs, o.mixed, o.halfOffered, o.damaged, o.lost, o.leftOver);
            EXPECT_EQ(o.runs, operations);
            EXPECT_EQ(o.mixed + o.halfOffered + o.damaged + o.lost + o.leftOver, 0);
        }
    }
}

} // namespace
