// Record files and the text helpers of TLibrary.

#include "storage/library.h"
#include "storage/records.h"
#include "test_dir.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(RecordFiles, CountsWholeRecordsOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reserve.dat"));
    QByteArray bytes(745, 0);
    bytes[0] = 7;
    bytes[372] = 8;
    bytes[744] = 9; // the extra byte
    writeBytes(path, bytes);
    TLibrary lib;
    EXPECT_EQ(lib.RecordCount(path, sizeof(TReserveData)), 2);
    TReserveData r[3]{};
    EXPECT_EQ(lib.ReadRecords(r, sizeof(TReserveData), path, lib.RecordCount(path, sizeof(TReserveData))), 2);
    EXPECT_EQ(r[0].MeiNo, 7u);
    EXPECT_EQ(r[1].MeiNo, 8u);
    EXPECT_EQ(r[2].MeiNo, 0u); // the byte beyond the whole records is never read
}

TEST(RecordFiles, MissingFileCountsZeroAndLeavesBuffer)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nothing.dat"));
    TLibrary lib;
    EXPECT_EQ(lib.RecordCount(path, 88), 0);
    TUrikakeData u{};
    u.Goukei = 5;
    EXPECT_EQ(lib.ReadRecords(&u, sizeof u, path, 1), 0);
    EXPECT_EQ(u.Goukei, 5);
}

TEST(RecordFiles, WriteReplacesWholeFileAndZeroCountMakesEmptyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("urikake.dat"));
    writeBytes(path, QByteArray(1000, 'x'));
    TLibrary lib;
    TUrikakeData u[2]{};
    u[0].MeiNo = 1;
    u[1].MeiNo = 2;
    ASSERT_TRUE(lib.WriteRecords(u, sizeof(TUrikakeData), path, 2));
    EXPECT_EQ(readBytes(path).size(), 176);
    ASSERT_TRUE(lib.WriteRecords(u, sizeof(TUrikakeData), path, 0));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(readBytes(path).size(), 0);
    // No temporary files are left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(RecordFiles, WriteThatFailsPartWayLeavesOldFileAndReports)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reserve.dat"));
    QByteArray old(372 * 3, 0);
    for (int i = 0; i < old.size(); ++i)
        old[i] = char(i * 7);
    writeBytes(path, old);

    // In a child process limited to 100 KB per file, write 1000 records.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{100 * 1024, 100 * 1024};
        setrlimit(RLIMIT_FSIZE, &lim);
        std::vector<TReserveData> many(1000);
        TLibrary lib;
        QString error;
        const bool ok = lib.WriteRecords(many.data(), sizeof(TReserveData), path, 1000, &error);
        const QByteArray msg = error.toUtf8();
        (void)!write(pipeFds[1], ok ? "1" : "0", 1);
        (void)!write(pipeFds[1], msg.constData(), size_t(msg.size()));
        _exit(0);
    }
    close(pipeFds[1]);
    QByteArray answer;
    char buf[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0)
        answer.append(buf, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);

    ASSERT_FALSE(answer.isEmpty());
    EXPECT_EQ(answer.at(0), '0') << "the failed write was reported as success";
    EXPECT_TRUE(QString::fromUtf8(answer.mid(1)).contains(QStringLiteral("reserve.dat")));
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(RecordFiles, RefusedWritesTouchNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reserve.dat"));
    writeBytes(path, "old");
    TLibrary lib;
    lib.RefuseWrites(QStringLiteral("no data loaded"));
    TReserveData r{};
    QString error;
    EXPECT_FALSE(lib.WriteRecords(&r, sizeof r, path, 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no data loaded")));
    EXPECT_EQ(readBytes(path), QByteArray("old"));
}

TEST(TextHelpers, FormatPicture)
{
    struct Case {
        int64_t value;
        const char *picture;
        const char *result;
    };
    const Case cases[] = {
        {1234, "999,999", "  1,234"},
        {0, "999,999", "      0"},
        {500, "9,999", "  500"},
        {-1234, "9,999,999", "   -1,234"},
        {-123456, "9,999,999", "-123,456"},
        {1234567, "999,999", "123,456"},
        {5000, "99,999,999", "     5,000"},
        {42, "999", " 42"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(TLibrary::FormatPicture(c.value, QLatin1String(c.picture)), QLatin1String(c.result))
            << c.value;
    }
}

TEST(TextHelpers, SplitComma)
{
    EXPECT_EQ(TLibrary::SplitComma(QStringLiteral("1601,1,大人宿泊料金,Charge(ADULT),0")),
              QStringList({"1601", "1", "大人宿泊料金", "Charge(ADULT)", "0"}));
    EXPECT_EQ(TLibrary::SplitComma(QStringLiteral("a,,b")), QStringList({"a", "", "b"}));
    EXPECT_EQ(TLibrary::SplitComma(QStringLiteral("a,")), QStringList({"a", ""}));
}

TEST(TextHelpers, RightTextCountsBytes)
{
    EXPECT_EQ(TLibrary::RightText(QStringLiteral("20140321"), 4), QStringLiteral("0321"));
    EXPECT_EQ(TLibrary::RightText(QStringLiteral("20140321"), 10), QStringLiteral("20140321"));
    EXPECT_EQ(TLibrary::RightText(QStringLiteral("山田"), 2), QStringLiteral("田"));
    EXPECT_EQ(TLibrary::RightText(QStringLiteral("円\\"), 1), QStringLiteral("\\"));
}

TEST(TextHelpers, ReplaceText)
{
    EXPECT_EQ(TLibrary::ReplaceText(QStringLiteral("2014/03/21"), "/", "_"), QStringLiteral("2014_03_21"));
    EXPECT_EQ(TLibrary::ReplaceText(QStringLiteral("aaa"), "a", "b"), QStringLiteral("bbb"));
    // A replacement holding the searched text ends instead of looping.
    EXPECT_EQ(TLibrary::ReplaceText(QStringLiteral("a/b"), "/", "//"), QStringLiteral("a//b"));
}
