// Start-up on files that exist but cannot be read, or whose size is not a
// whole number of records; placements from the settings file that do not fit.

#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"
#include "test_dir.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2007, 8, 9), QTime(12, 34, 56));

QStringList allFiles()
{
    QStringList f{"base.dat", "reserve.dat", "urikake.dat", "norvelreceipt.ini"};
    for (const char *k : KamokuFileNames)
        f << QLatin1String(k);
    return f;
}

// A program directory where every file is present and well formed.
struct Stored {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    Stored()
    {
        writeBytes(path("base.dat"), QByteArray(1532, 'b'));
        writeBytes(path("reserve.dat"), QByteArray(372 * 415, 'r'));
        writeBytes(path("urikake.dat"), QByteArray(88 * 12, 'u'));
        for (const char *k : KamokuFileNames)
            writeBytes(path(QLatin1String(k)), QByteArray(88 * 5, 'k'));
        writeBytes(path("norvelreceipt.ini"), "[Environment]\r\nSeikyuCopies=3\r\n");
    }
    std::map<QString, QByteArray> bytes() const
    {
        std::map<QString, QByteArray> b;
        for (const QString &f : allFiles())
            b[f] = QFileInfo(path(f)).isFile() ? readBytes(path(f)) : QByteArray("<not a file>");
        return b;
    }
};

// Every kind of save the program makes; none may get through.
QStringList savesThatWent(AppData &data, const TLibrary &lib)
{
    QStringList went;
    QString error;
    if (saveBaseData(data, lib, &error))
        went << "base.dat";
    if (saveKamokuLists(data, lib, &error))
        went << "kmk";
    if (saveBillLists(data, lib, &error))
        went << "bill lists";
    if (saveReserveList(data, lib, &error))
        went << "reserve.dat";
    if (saveUrikakeList(data, lib, &error))
        went << "urikake.dat";
    return went;
}

struct Breakage {
    const char *name;
    std::function<bool(const QString &path)> apply; // false: cannot be made here
    const char *reason;                              // part of the message
};

const Breakage breakages[] = {
    {"a directory",
     [](const QString &p) {
         QFile::remove(p);
         return QDir().mkdir(p);
     },
     "Is a directory"},
    {"a symbolic link that loops",
     [](const QString &p) {
         QFile::remove(p);
         return ::symlink(QFile::encodeName(QFileInfo(p).fileName()).constData(), QFile::encodeName(p).constData()) == 0;
     },
     "Too many levels of symbolic links"},
    {"a named pipe",
     [](const QString &p) {
         QFile::remove(p);
         return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0;
     },
     "通常のファイルではありません"},
    {"without read permission",
     [](const QString &p) {
         // The superuser reads anything: nothing to show then.
         return ::geteuid() != 0 && ::chmod(QFile::encodeName(p).constData(), 0200) == 0;
     },
     "Permission denied"},
};

} // namespace

TEST(StartErrors, FileThatExistsButCannotBeReadRefusesEveryWrite)
{
    int tried = 0;
    for (const QString &file : {QStringLiteral("reserve.dat"), QStringLiteral("urikake.dat"), QStringLiteral("base.dat"),
                                QStringLiteral("kmk_syu.dat"), QStringLiteral("kmk_cpn.dat"),
                                QStringLiteral("norvelreceipt.ini")}) {
        for (const Breakage &b : breakages) {
            SCOPED_TRACE(file.toStdString() + " as " + b.name);
            Stored s;
            if (!b.apply(s.path(file)))
                continue;
            ++tried;
            const auto before = s.bytes();
            AppData data;
            TLibrary lib;
            const QString message = loadAppData(data, lib, s.dir.path(), kNow);
            EXPECT_TRUE(message.contains(file + ": ")) << message.toStdString();
            EXPECT_TRUE(message.contains(QString::fromUtf8(b.reason))) << message.toStdString();
            EXPECT_TRUE(lib.WritesRefused());
            // Not taken for a missing file: no first-run hint for it.
            EXPECT_EQ(data.StartFlags, 0);
            // The other files were read.
            if (file != "reserve.dat") {
                EXPECT_EQ(data.ReserveList.size(), 415u);
            }
            EXPECT_EQ(savesThatWent(data, lib), QStringList{});
            EXPECT_EQ(s.bytes(), before);
            ::chmod(QFile::encodeName(s.path(file)).constData(), 0600);
        }
    }
    EXPECT_GE(tried, 6 * 3);
}

TEST(StartErrors, UnreadableSettingsFileIsNeverWrittenOver)
{
    Stored s;
    QFile::remove(s.path("norvelreceipt.ini"));
    QDir().mkdir(s.path("norvelreceipt.ini"));
    IniFile ini(s.path("norvelreceipt.ini"));
    ini.setValue("MainForm", "t", "1");
    QString error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_TRUE(error.contains("norvelreceipt.ini"));
    EXPECT_TRUE(QFileInfo(s.path("norvelreceipt.ini")).isDir());
}

TEST(StartErrors, OddSizeIsReportedAndKeptAsFoundBeforeAnySave)
{
    struct Case {
        const char *file;
        int records; // whole records before the odd bytes
        int recordSize;
    };
    for (const Case &c : {Case{"reserve.dat", 2, 372}, Case{"urikake.dat", 3, 88}, Case{"kmk_syu.dat", 4, 88},
                          Case{"kmk_mae.dat", 0, 88}}) {
        SCOPED_TRACE(c.file);
        Stored s;
        const QByteArray found = QByteArray(c.records * c.recordSize, 'x') + "odd";
        writeBytes(s.path(c.file), found);
        for (int start = 0; start < 2; ++start) {
            AppData data;
            TLibrary lib;
            const QString message = loadAppData(data, lib, s.dir.path(), kNow.addSecs(start));
            EXPECT_TRUE(message.contains(QLatin1String(c.file))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("%1 件を読み込み、残りの 3 バイト").arg(c.records)))
                << message.toStdString();
            EXPECT_FALSE(lib.WritesRefused());
            // One copy as found, however often the program starts on it.
            const QStringList copies = QDir(data.BackupPath).entryList(QDir::Files);
            ASSERT_EQ(copies.size(), 1) << copies.join(' ').toStdString();
            EXPECT_TRUE(copies[0].startsWith(QLatin1String(c.file) + ".as_found_"));
            EXPECT_EQ(readBytes(data.BackupPath + copies[0]), found);
            EXPECT_TRUE(message.contains(copies[0]));
        }
        // A save writes whole records; the copy stays.
        AppData data;
        TLibrary lib;
        loadAppData(data, lib, s.dir.path(), kNow);
        QString error;
        ASSERT_TRUE(saveBillLists(data, lib, &error) && saveKamokuLists(data, lib, &error)) << error.toStdString();
        EXPECT_EQ(readBytes(s.path(c.file)).size() % c.recordSize, 0);
        EXPECT_EQ(QDir(data.BackupPath).entryList(QDir::Files).size(), 1);
    }
}

TEST(StartErrors, OddSizeBaseDataLoadsItsFrontAndIsKept)
{
    Stored s;
    QByteArray base(1000, 0);
    base.replace(0, 3, "Inn");
    writeBytes(s.path("base.dat"), base);
    AppData data;
    TLibrary lib;
    const QString message = loadAppData(data, lib, s.dir.path(), kNow);
    EXPECT_TRUE(message.contains("base.dat")) << message.toStdString();
    EXPECT_TRUE(message.contains("1000")) << message.toStdString();
    EXPECT_EQ(fieldText(data.BaseData.SisetuName), "Inn");
    EXPECT_FALSE(lib.WritesRefused());
    const QStringList copies = QDir(data.BackupPath).entryList(QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readBytes(data.BackupPath + copies[0]), base);
}

TEST(StartErrors, OddSizeWithoutACopyRefusesWrites)
{
    Stored s;
    writeBytes(s.path("reserve.dat"), QByteArray(372 + 1, 'r'));
    QDir().mkpath(s.path("backup"));
    ::chmod(QFile::encodeName(s.path("backup")).constData(), 0500);
    if (::geteuid() == 0) {
        // The superuser writes anywhere; a copy whose name is taken by a folder fails as well.
        ::chmod(QFile::encodeName(s.path("backup")).constData(), 0700);
        QDir().mkpath(s.path("backup/reserve.dat.as_found_2007_08_09_123456"));
    }
    AppData data;
    TLibrary lib;
    const QString message = loadAppData(data, lib, s.dir.path(), kNow);
    EXPECT_TRUE(message.contains("reserve.dat")) << message.toStdString();
    EXPECT_TRUE(lib.WritesRefused());
    EXPECT_EQ(readBytes(s.path("reserve.dat")).size(), 373);
    ::chmod(QFile::encodeName(s.path("backup")).constData(), 0700);
}

TEST(Placements, ThoseThatDoNotFitTheScreenGiveTheDefault)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("norvelreceipt.ini");
    const QRect screen(0, 0, 1280, 800);
    const QRect designed(0, 0, 1024, 612);
    const struct {
        const char *t, *l, *h, *w;
        QRect expected;
    } cases[] = {
        {"10", "20", "500", "700", QRect(20, 10, 700, 500)},
        {"0", "0", "800", "1280", QRect(0, 0, 1280, 800)},
        {"2147483647", "0", "500", "700", designed},
        {"0", "2147483647", "500", "700", designed},
        {"0", "0", "2147483647", "2147483647", designed},
        {"-2147483648", "0", "500", "700", designed},
        {"0", "0", "-5", "700", designed},
        {"0", "0", "500", "0", designed},
        {"0", "0", "801", "700", designed}, // taller than the screen
        {"0", "1280", "500", "700", designed}, // corner off the screen
        {"-1", "0", "500", "700", designed},
    };
    TLibrary lib;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.t) + " " + c.l + " " + c.h + " " + c.w);
        QFile::remove(ini);
        writeBytes(ini, QByteArray("[MainForm]\r\nt=") + c.t + "\r\nl=" + c.l + "\r\nh=" + c.h + "\r\nw=" + c.w + "\r\n");
        EXPECT_EQ(lib.LoadFormPlacement("MainForm", designed, ini, screen), c.expected);
    }
    // Without a screen to go by, only the arithmetic is checked.
    EXPECT_EQ(lib.LoadFormPlacement("MainForm", designed, ini), QRect(0, -1, 700, 500));
    writeBytes(ini, "[MainForm]\r\nw=2147483647\r\n");
    EXPECT_EQ(lib.LoadFormPlacement("MainForm", designed, ini), designed);
}

TEST(Placements, CopyCountsOutsideTheirRangeGiveTheDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("norvelreceipt.ini");
    writeBytes(path, "[Environment]\r\nSeikyuCopies=11\r\nRyosyuCopies=0\r\nDoubleCopies=10\r\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.intValue("Environment", "SeikyuCopies", 1, 1, 10), 1);
    EXPECT_EQ(ini.intValue("Environment", "RyosyuCopies", 1, 1, 10), 1);
    EXPECT_EQ(ini.intValue("Environment", "DoubleCopies", 1, 1, 10), 10);
}
