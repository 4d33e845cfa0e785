// What a backup folder from elsewhere, a hand edit, a full disk and the file
// modes can do to the inn's data: a crafted generation is refused with its
// reason and writes nothing anywhere; a file edited in place changes no kept
// generation; a full disk is freed by pruning; no file or folder of the inn is
// readable by another user.

#include "generation_fixture.h"
#include "storage/app_data.h"
#include "storage/backup_command.h"
#include "storage/checksum.h"
#include "storage/clock.h"
#include "storage/generations.h"
#include "storage/ini_file.h"
#include "storage/inn_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2026, 3, 10), QTime(9, 30));

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes into the file as it is (the same inode), as an editor or cp does.
void writeInPlace(const QString &path, const QByteArray &b, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile f(path);
    ASSERT_TRUE(f.open(mode)) << path.toStdString();
    ASSERT_EQ(f.write(b), b.size());
}

using Files = std::map<QString, QByteArray>;

// Every file under dir (symbolic links as their targets' names), by relative path.
Files tree(const QString &dir)
{
    Files f;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QFileInfo info(p);
        const QString rel = QDir(dir).relativeFilePath(p);
        if (info.isSymLink())
            f[rel] = "-> " + info.symLinkTarget().toUtf8();
        else if (info.isFile())
            f[rel] = fileBytes(p);
    }
    return f;
}

Files dataFiles(const QString &dir)
{
    Files f;
    for (const QString &n : innFileNames())
        if (QFileInfo::exists(dir + "/" + n))
            f[n] = fileBytes(dir + "/" + n);
    return f;
}

void copyFolder(const QString &from, const QString &to)
{
    ASSERT_TRUE(QDir().mkpath(to));
    for (const QString &n : QDir(from).entryList(QDir::Files | QDir::Hidden))
        ASSERT_TRUE(QFile::copy(from + "/" + n, to + "/" + n));
}

QByteArray checksumOf(const QByteArray &b)
{
    Checksum64 c;
    c.add(b.constData(), std::size_t(b.size()));
    return c.hex();
}

// The manifest's lines with a "file" line added for name (the bytes given
// written beside it when the name is a plain one) and the count mended.
void addToManifest(const QString &folder, const QString &name, const QByteArray &bytes)
{
    if (!name.contains('/'))
        writeInPlace(folder + "/" + name, bytes);
    QList<QByteArray> lines = fileBytes(folder + "/" + ManifestName).split('\n');
    lines.removeLast(); // after the last newline
    const QByteArray end = lines.takeLast();
    const int count = end.split('\t').at(1).toInt();
    lines << "file\t" + name.toUtf8() + '\t' + QByteArray::number(bytes.size()) + '\t' + checksumOf(bytes);
    lines << "end\t" + QByteArray::number(count + 1) << "";
    QFile::remove(folder + "/" + ManifestName);
    writeInPlace(folder + "/" + ManifestName, lines.join('\n'));
}

void replaceInManifest(const QString &folder, const QByteArray &from, const QByteArray &to)
{
    QByteArray m = fileBytes(folder + "/" + ManifestName);
    ASSERT_TRUE(m.contains(from));
    m.replace(from, to);
    QFile::remove(folder + "/" + ManifestName);
    writeInPlace(folder + "/" + ManifestName, m);
}

// A data folder loaded as at start, with two bills, a settings file and a logo.
class BackupSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.path() + "/data/";
        ASSERT_TRUE(QDir().mkpath(path));
        start();
        seedDefaultKamoku(data.KamokuList);
        IniFile ini(data.iniPath());
        ini.setValue("Backup", "KeepSaves", "20");
        ASSERT_TRUE(ini.save());
        writeInPlace(path + "logo.bmp", QByteArray("BM") + QByteArray(200, 'L'));
        QString error;
        ASSERT_TRUE(saveBaseData(data, lib, &error)) << error.toStdString();
        ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();
        data.ReserveList.push_back(billLine(100, "2026/03/02"));
        data.ReserveList.push_back(billLine(101, ""));
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    }

    QString start()
    {
        data = AppData();
        lib = TLibrary();
        return loadAppData(data, lib, path, Clock::now());
    }

    QTemporaryDir dir;
    QString path;
    AppData data;
    TLibrary lib;
    FixedClock clock{kNow};
};

TEST_F(BackupSafety, HostileBackupFoldersAreRefusedWithTheirReasonAndWriteNothing)
{
    // Decoy files beside the data folder: nothing may reach them.
    const QString decoys = dir.path() + "/decoys";
    ASSERT_TRUE(QDir().mkpath(decoys));
    for (const char *n : {"a.txt", "norvel", "reserve.dat"})
        writeInPlace(decoys + "/" + n, QByteArray("decoy ") + n);
    writeInPlace(path + "norvel", "#!/bin/sh\necho the inn's program\n");
    const QString stick = dir.path() + "/stick";
    QString good, error;
    ASSERT_TRUE(backupDataFolder(path, stick + "/good", kNow, &good, &error)) << error.toStdString();

    struct Case {
        const char *name;
        std::function<void(const QString &folder)> craft;
        const char *reason;
    } cases[] = {
        {"the program", [](const QString &g) { addToManifest(g, "norvel", "#!/bin/sh\necho stranger\n"); },
         "データファイルでない名前 \"norvel\""},
        {"the lock", [](const QString &g) { addToManifest(g, "norvel.lock", "1\n"); }, "データファイルでない名前"},
        {"a path up", [](const QString &g) { addToManifest(g, "../x", "x"); }, "データファイルでない名前"},
        {"an absolute path", [&](const QString &g) { addToManifest(g, decoys + "/a.txt", "x"); },
         "データファイルでない名前"},
        {"a file twice", [](const QString &g) { addToManifest(g, "logo.bmp", fileBytes(g + "/logo.bmp")); },
         "logo.bmp が二度"},
        {"a symlinked file",
         [&](const QString &g) {
             QFile::remove(g + "/reserve.dat");
             ASSERT_TRUE(QFile::link(decoys + "/reserve.dat", g + "/reserve.dat"));
         },
         "reserve.dat はシンボリックリンク"},
        {"a named pipe",
         [](const QString &g) {
             QFile::remove(g + "/urikake.dat");
             ASSERT_EQ(::mkfifo(QFile::encodeName(g + "/urikake.dat").constData(), 0600), 0);
         },
         "urikake.dat は通常のファイルではありません"},
        {"a symlinked manifest",
         [&](const QString &g) {
             const QString elsewhere = g + ".manifest";
             QFile::rename(g + "/" + ManifestName, elsewhere);
             ASSERT_TRUE(QFile::link(elsewhere, g + "/" + ManifestName));
         },
         "目録 はシンボリックリンク"},
        {"a manifest as a pipe",
         [](const QString &g) {
             QFile::remove(g + "/" + ManifestName);
             ASSERT_EQ(::mkfifo(QFile::encodeName(g + "/" + ManifestName).constData(), 0600), 0);
         },
         "目録 は通常のファイルではありません"},
        {"a huge line",
         [](const QString &g) { replaceInManifest(g, "saved\t", "saved\t" + QByteArray(4 << 20, 'x')); },
         "目録が大きすぎます"},
        {"a huge count", [](const QString &g) { replaceInManifest(g, "\nend\t", "\nend\t99999999"); },
         "目録が壊れています"},
        {"a count that lies", [](const QString &g) { replaceInManifest(g, "\nbills\t2\n", "\nbills\t77\n"); },
         "請求書の件数"},
        {"no file at all",
         [](const QString &g) {
             QList<QByteArray> kept;
             for (const QByteArray &l : fileBytes(g + "/" + ManifestName).split('\n'))
                 if (!l.isEmpty() && !l.startsWith("file\t") && !l.startsWith("end\t"))
                     kept << l;
             QFile::remove(g + "/" + ManifestName);
             writeInPlace(g + "/" + ManifestName, kept.join('\n') + "\nend\t0\n");
         },
         "目録にファイルがありません"},
    };
    const Files dataBefore = tree(path);
    const Files decoysBefore = tree(decoys);
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString parent = stick + QStringLiteral("/case%1").arg(++n);
        const QString g = parent + "/" + QFileInfo(good).fileName();
        copyFolder(good, g);
        c.craft(g);
        const QString reason = QString::fromUtf8(c.reason);
        // --verify-backup
        QString out, err;
        EXPECT_EQ(runBackupCommand({"--verify-backup", parent}, path, kNow, &out, &err), BackupFailed);
        EXPECT_TRUE(out.contains(reason)) << out.toStdString();
        // The restore function, read from the folder and as a caller claims it to be.
        Generation read = readGeneration(g);
        EXPECT_FALSE(restoreGeneration(read, path, &error));
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
        Generation claimed = readGeneration(good);
        claimed.path = g;
        claimed.problem.clear();
        EXPECT_FALSE(restoreGeneration(claimed, path, &error));
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
        EXPECT_EQ(tree(path), dataBefore);
        EXPECT_EQ(tree(decoys), decoysBefore);
    }
    // The untouched copy still restores.
    Generation whole = readGeneration(good);
    EXPECT_TRUE(restoreGeneration(whole, path, &error)) << error.toStdString();
    EXPECT_EQ(tree(decoys), decoysBefore);
}

TEST_F(BackupSafety, AFileChangedBetweenTheCheckAndTheRestoreIsNotRestored)
{
    data.ReserveList.push_back(billLine(102, "2026/03/09"));
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error));
    Generation g = listGenerations(data.BackupPath).front();
    ASSERT_TRUE(checkGeneration(g, true)); // what the restore window does first
    // Then the file changes (a failing stick, another program) before the restore reads it.
    QByteArray b = fileBytes(g.path + "/reserve.dat");
    b[20] = char(b[20] ^ 1);
    QFile::remove(g.path + "/reserve.dat");
    writeInPlace(g.path + "/reserve.dat", b);
    const Files before = dataFiles(path);
    EXPECT_FALSE(restoreGeneration(g, path, &error));
    EXPECT_TRUE(error.contains("チェックサム")) << error.toStdString();
    EXPECT_EQ(dataFiles(path), before);
}

TEST_F(BackupSafety, ASymlinkInTheBackupFolderIsNeverFollowed)
{
    // Folders of someone's files, linked into backup/ under generations' names:
    // one that looks whole (pruning), one that looks cut short (start-up clean-up).
    const QString whole = dir.path() + "/theirs", cut = dir.path() + "/theirs2";
    ASSERT_TRUE(QDir().mkpath(whole) && QDir().mkpath(cut));
    writeInPlace(whole + "/photo.jpg", "precious");
    writeInPlace(whole + "/" + ManifestName, "not ours");
    writeInPlace(cut + "/letter.txt", "precious too");
    ASSERT_TRUE(QFile::link(whole, data.BackupPath + "2020_01_01_000000"));
    ASSERT_TRUE(QFile::link(cut, data.BackupPath + "2020_01_02_000000_2"));
    const Files before = tree(whole), beforeCut = tree(cut);
    start();
    EXPECT_GE(pruneGenerations(data.BackupPath, {1, 0, 0}, kNow), 1);
    EXPECT_EQ(listGenerations(data.BackupPath, true).size(), 1u);
    for (const Generation &g : listGenerations(data.BackupPath, true))
        EXPECT_FALSE(g.name.startsWith("2020")) << g.name.toStdString();
    EXPECT_FALSE(removeGeneration(data.BackupPath + "2020_01_01_000000"));
    EXPECT_EQ(tree(whole), before);
    EXPECT_EQ(tree(cut), beforeCut);
}

TEST_F(BackupSafety, HandEditsChangeNoKeptGeneration)
{
    // Three saves, each keeping the files as they were.
    std::vector<Files> kept;
    for (int i = 0; i < 3; ++i) {
        kept.push_back(dataFiles(path));
        data.ReserveList.push_back(billLine(200 + uint32_t(i), "2026/03/09"));
        QString error;
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    }
    // The clerk's edits, each in place: >> onto the settings file, a rewrite
    // of the same size, and cp over the logo.
    writeInPlace(data.iniPath(), "\n[Backup]\nKeepDays=30\n", QIODevice::Append);
    QByteArray ini = fileBytes(data.iniPath());
    ini.replace("KeepDays=30", "KeepDays=31");
    writeInPlace(data.iniPath(), ini, QIODevice::ReadWrite);
    writeInPlace(path + "logo.bmp", QByteArray("BM") + QByteArray(200, 'N'));
    // One more save after the edits: its generation holds the edited files.
    kept.push_back(dataFiles(path));
    data.ReserveList.push_back(billLine(300, "2026/03/10"));
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();

    std::vector<Generation> list = listGenerations(data.BackupPath);
    ASSERT_GE(list.size(), kept.size());
    for (Generation &g : list)
        EXPECT_TRUE(checkGeneration(g, true)) << g.name.toStdString() << ": " << g.problem.toStdString();
    // The newest four, oldest first, hold exactly the files before each save, and restore them.
    for (size_t i = 0; i < kept.size(); ++i) {
        SCOPED_TRACE(i);
        const Generation g = readGeneration(list[kept.size() - 1 - i].path);
        Files held;
        for (const GenerationFile &f : g.files)
            held[f.name] = fileBytes(g.path + "/" + f.name);
        EXPECT_EQ(held, kept[i]);
    }
    const Generation oldest = readGeneration(list[kept.size() - 1].path);
    ASSERT_TRUE(restoreGeneration(oldest, path, &error)) << error.toStdString();
    Files now = dataFiles(path);
    EXPECT_EQ(now, kept[0]);
}

TEST_F(BackupSafety, GenerationsOfAnEarlierVersionStopSharingTheSettingsFileAtStart)
{
    // As an earlier version left them: the newest generation's settings file
    // and logo are the data folder's own, through a hard link.
    Generation g = listGenerations(data.BackupPath).front();
    for (const char *n : {"norvelreceipt.ini", "logo.bmp"}) {
        ASSERT_TRUE(QFile::remove(g.path + "/" + n));
        ASSERT_EQ(::link(QFile::encodeName(path + n).constData(), QFile::encodeName(g.path + "/" + n).constData()), 0);
    }
    ASSERT_TRUE(checkGeneration(g, true)) << g.problem.toStdString();
    start();
    writeInPlace(data.iniPath(), "\n; edited\n", QIODevice::Append);
    writeInPlace(path + "logo.bmp", "BM edited in place");
    g = listGenerations(data.BackupPath).front();
    EXPECT_TRUE(checkGeneration(g, true)) << g.problem.toStdString();
}

// A small tmpfs mounted for the test (root only).
class SmallDisk {
public:
    explicit SmallDisk(const char *options)
    {
        if (::mount("tmpfs", QFile::encodeName(point.path()).constData(), "tmpfs", 0, options) == 0)
            mounted = true;
        else
            why = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(point.path()).constData(), MNT_DETACH);
    }
    bool makeReadOnly()
    {
        return ::mount("tmpfs", QFile::encodeName(point.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }
    QTemporaryDir point;
    bool mounted = false;
    std::string why;
};

TEST(FullDisk, ASaveRefusedForSpacePrunesToTheSettingsAndTriesOnceMore)
{
    SmallDisk disk("size=2m,mode=0700");
    if (!disk.mounted)
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here (" << disk.why << "); run as root to test a full disk";
    FixedClock clock(kNow);
    const QString path = disk.point.path() + "/";
    AppData data;
    TLibrary lib;
    ASSERT_TRUE(loadAppData(data, lib, path, kNow).isEmpty());
    writeInPlace(data.iniPath(), "[Backup]\nKeepSaves=20\nKeepDays=14\nKeepMonths=24\n");
    QString error;
    ASSERT_TRUE(saveBaseData(data, lib, &error)) << error.toStdString();
    // Saves of a growing reserve.dat until the disk is full: every old one is kept.
    bool full = false;
    Files before;
    for (int save = 0; save < 60 && !full; ++save) {
        for (int i = 0; i < 100; ++i)
            data.ReserveList.push_back(billLine(uint32_t(1000 + save), "2026/03/09"));
        before = dataFiles(path);
        full = !saveBillLists(data, lib, &error);
    }
    ASSERT_TRUE(full) << "the disk never filled";
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(QDir::cleanPath(data.BackupPath)))) << error.toStdString();
    EXPECT_TRUE(error.contains(" MB")) << error.toStdString();
    EXPECT_TRUE(error.contains("KeepSaves")) << error.toStdString();
    EXPECT_EQ(dataFiles(path), before);
    std::printf("full after %zu generations: %s\n", listGenerations(data.BackupPath).size(), qPrintable(error));

    // The clerk lowers the Keep numbers by hand, as the message says; the next save frees and succeeds.
    writeInPlace(data.iniPath(), "[Backup]\nKeepSaves=1\nKeepDays=0\nKeepMonths=0\n");
    ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(path + "reserve.dat").size(), qsizetype(data.ReserveList.size() * sizeof(TReserveData)));
    EXPECT_EQ(listGenerations(data.BackupPath).size(), 1u);
    // And a restore works in the space freed.
    const Generation newest = listGenerations(data.BackupPath).front();
    ASSERT_TRUE(restoreGeneration(newest, path, &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(path + "reserve.dat"), before["reserve.dat"]);
}

TEST(ReadOnlyFolder, IsLoadedAndRefusesWritesWithAMessage)
{
    SmallDisk disk("size=4m,mode=0700");
    if (!disk.mounted)
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here (" << disk.why << "); run as root to test a read-only folder";
    FixedClock clock(kNow);
    const QString path = disk.point.path() + "/";
    {
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, path, kNow).isEmpty());
        data.ReserveList.push_back(billLine(7, "2026/03/09"));
        QString error;
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    }
    ASSERT_TRUE(QDir(path + "backup").removeRecursively());
    ASSERT_TRUE(disk.makeReadOnly()) << std::strerror(errno);
    AppData data;
    TLibrary lib;
    const QString message = loadAppData(data, lib, path, kNow);
    EXPECT_TRUE(message.contains("書き込めない")) << message.toStdString();
    EXPECT_FALSE(message.contains("c:\\temp")) << message.toStdString();
    EXPECT_EQ(data.ReserveList.size(), 1u);
    QString error;
    EXPECT_FALSE(saveBillLists(data, lib, &error));
    EXPECT_TRUE(error.contains("書き込めない")) << error.toStdString();
}

bool readableByOthers(const QString &p, QString *which)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(p).constData(), &st) == 0 && !S_ISLNK(st.st_mode) && (st.st_mode & 077) != 0) {
        *which += QStringLiteral("%1 %2\n").arg(p).arg(st.st_mode & 07777, 0, 8);
        return true;
    }
    return false;
}

// Every entry under dir (and dir itself) readable by its owner alone; the offenders in *which.
bool ownerOnly(const QString &dir, QString *which)
{
    bool ok = !readableByOthers(dir, which);
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = !readableByOthers(it.next(), which) && ok;
    return ok;
}

TEST(FileModes, NoFileOrFolderOfTheInnIsReadableByOthersWhateverTheUmask)
{
    const mode_t oldMask = ::umask(022);
    QTemporaryDir dir;
    FixedClock clock(kNow);
    // A folder made by an earlier version: 0755 folders, 0644 files.
    const QString path = dir.path() + "/inn/";
    ASSERT_EQ(::mkdir(QFile::encodeName(path).constData(), 0755), 0);
    ASSERT_EQ(::mkdir(QFile::encodeName(path + "backup").constData(), 0755), 0);
    ASSERT_EQ(::mkdir(QFile::encodeName(path + "backup/2026_03_01_120000").constData(), 0755), 0);
    writeInPlace(path + "backup/2026_03_01_120000/base.dat", QByteArray(int(sizeof(TBaseData)), 0));
    writeInPlace(path + "backup/reserve.dat2026_02_28", QByteArray());
    writeInPlace(path + "base.dat", QByteArray(int(sizeof(TBaseData)), 0));
    writeInPlace(path + "norvelreceipt.ini", "[Backup]\nKeepSaves=20\n");
    QString which;
    ASSERT_FALSE(ownerOnly(path, &which));

    AppData data;
    TLibrary lib;
    const QString first = loadAppData(data, lib, path, kNow);
    EXPECT_TRUE(first.contains("ほかの利用者が読めない")) << first.toStdString();
    which.clear();
    EXPECT_TRUE(ownerOnly(path, &which)) << which.toStdString();
    // Said once: the next start has nothing to tighten.
    EXPECT_FALSE(loadAppData(data, lib, path, kNow).contains("ほかの利用者"));

    // A save, a copy with --backup, a restore.
    data.ReserveList.push_back(billLine(1, "2026/03/09"));
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    const QString stick = dir.path() + "/stick";
    QString out, err;
    ASSERT_EQ(runBackupCommand({"--backup", stick + "/norvel"}, path, kNow, &out, &err), BackupOk) << err.toStdString();
    const Generation g = listGenerations(data.BackupPath).front();
    ASSERT_TRUE(restoreGeneration(g, path, &error)) << error.toStdString();
    IniFile ini(data.iniPath());
    ini.setValue("Backup", "KeepDays", "20");
    ASSERT_TRUE(ini.save());
    which.clear();
    EXPECT_TRUE(ownerOnly(path, &which)) << which.toStdString();
    EXPECT_TRUE(ownerOnly(stick, &which)) << which.toStdString();
    ::umask(oldMask);
}

TEST_F(BackupSafety, AnInterruptedBackupIsRemovedByTheNextAndSaidSo)
{
    const QString dest = dir.path() + "/stick/norvel";
    QString out, err;
    ASSERT_EQ(runBackupCommand({"--backup", dest}, path, kNow, &out, &err), BackupOk) << err.toStdString();
    // A copy cut short: a folder with some files and no manifest.
    copyFolder(path, dest + "/2026_03_10_100000");
    QFile::remove(dest + "/2026_03_10_100000/" + ManifestName);
    EXPECT_EQ(runBackupCommand({"--verify-backup", dest}, path, kNow, &out, &err), BackupFailed);
    FixedClock later(kNow.addSecs(7200));
    ASSERT_EQ(runBackupCommand({"--backup", dest}, path, kNow.addSecs(7200), &out, &err), BackupOk) << err.toStdString();
    EXPECT_TRUE(out.contains("removed") && out.contains("2026_03_10_100000")) << out.toStdString();
    EXPECT_EQ(runBackupCommand({"--verify-backup", dest}, path, kNow, &out, &err), BackupOk) << (out + err).toStdString();
}

TEST_F(BackupSafety, AClockSetBackKeepsTheDaysSavesNewestAndWarns)
{
    // Saves dated a week ahead (a clock wrong then), then the clock set right.
    {
        FixedClock ahead(kNow.addDays(7));
        for (int i = 0; i < 3; ++i) {
            data.ReserveList.push_back(billLine(400 + uint32_t(i), "2026/03/17"));
            QString error;
            ASSERT_TRUE(saveBillLists(data, lib, &error));
        }
    }
    Clock::setFixed(kNow);
    start();
    // Said where the order matters: the restore window's folder line and --backup.
    EXPECT_TRUE(clockWarning(data.BackupPath, kNow).contains("時計"));
    EXPECT_TRUE(clockWarning(data.BackupPath, kNow.addDays(8)).isEmpty());
    // Today's saves, with a policy of five saves: they are the newest and all kept.
    writeInPlace(data.iniPath(), "[Backup]\nKeepSaves=5\nKeepDays=0\nKeepMonths=0\n");
    QStringList made;
    for (int i = 0; i < 5; ++i) {
        FixedClock today(kNow.addSecs(60 * (i + 1)));
        data.ReserveList.push_back(billLine(500 + uint32_t(i), "2026/03/10"));
        QString error;
        ASSERT_TRUE(saveBillLists(data, lib, &error));
        const Generation newest = listGenerations(data.BackupPath).front();
        EXPECT_EQ(newest.when, kNow.addSecs(60 * (i + 1)));
        made << newest.name;
    }
    QStringList kept;
    for (const Generation &g : listGenerations(data.BackupPath))
        kept << g.name;
    for (const QString &n : made)
        EXPECT_TRUE(kept.contains(n)) << n.toStdString();
}

TEST_F(BackupSafety, DatedCopiesOfTheBillFilesArePrunedLikeGenerations)
{
    writeInPlace(data.iniPath(), "[Backup]\nKeepSaves=3\nKeepDays=0\nKeepMonths=2\n");
    // A copy for every day of two earlier months.
    for (QDate d(2026, 1, 1); d < QDate(2026, 3, 1); d = d.addDays(1)) {
        writeInPlace(data.BackupPath + "reserve.dat" + d.toString("yyyy_MM_dd"), "r");
        writeInPlace(data.BackupPath + "urikake.dat" + d.toString("yyyy_MM_dd"), "u");
    }
    writeInPlace(data.BackupPath + "reserve.dat_notes", "not a dated copy");
    QString error;
    ASSERT_TRUE(backupReserveList(data, lib, kNow.date(), &error)) << error.toStdString();
    QStringList left = QDir(data.BackupPath).entryList({"reserve.dat*"}, QDir::Files);
    left.sort();
    // The newest three, and the newest of this month and last month.
    EXPECT_EQ(left, QStringList({"reserve.dat2026_02_27", "reserve.dat2026_02_28", "reserve.dat2026_03_10",
                                 "reserve.dat_notes"}));
    EXPECT_EQ(QDir(data.BackupPath).entryList({"urikake.dat*"}, QDir::Files),
              QStringList({"urikake.dat2026_02_26", "urikake.dat2026_02_27", "urikake.dat2026_02_28"}));
}

TEST(InnFiles, AreOneListEachOnce)
{
    const QStringList names = innFileNames();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const char *k : KamokuFileNames)
        EXPECT_TRUE(isInnFile(QLatin1String(k))) << k;
    for (const char *n : {"norvel", "norvel.lock", "norvel.commit", "../base.dat", "/base.dat", ""})
        EXPECT_FALSE(isInnFile(QString::fromUtf8(n))) << n;
    EXPECT_TRUE(isEditedByHand("norvelreceipt.ini"));
    EXPECT_TRUE(isEditedByHand("logo.bmp"));
    EXPECT_FALSE(isEditedByHand("reserve.dat"));
}

} // namespace
