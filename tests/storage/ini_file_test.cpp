// The settings file: raw values, names without case, and every other line
// kept when one key is written.

#include "storage/ini_file.h"
#include "storage/library.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <sys/stat.h>

TEST(IniFile, ReadsWindowsFileWithoutRegardToCase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("norvelreceipt.ini"));
    writeBytes(path, "; placements\r\n[mainform]\r\nT = 12\r\nl=abc\r\n\r\n[Environment]\r\nSeikyuCopies=3\r\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.intValue("MainForm", "t", 0), 12);
    EXPECT_EQ(ini.intValue("MainForm", "l", 5), 5); // not an integer: the default
    EXPECT_EQ(ini.intValue("MainForm", "h", 612), 612);
    EXPECT_EQ(ini.intValue("ENVIRONMENT", "seikyucopies", 1), 3);
    EXPECT_EQ(ini.value("Environment", "SeikyuCopies"), QStringLiteral("3"));
}

TEST(IniFile, WritingOneKeyKeepsEverythingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("norvelreceipt.ini"));
    const QByteArray original = "; written on Windows\r\n[Other]\r\nKey=Value with  spaces\r\n\r\n"
                                "[MeisaiForm]\r\nt=1\r\nl=2\r\n\r\n[Last]\nx=1\n";
    writeBytes(path, original);
    {
        IniFile ini(path);
        ini.setValue("meisaiform", "T", "100"); // existing key, other case
        ini.setValue("MeisaiForm", "w", "640"); // new key in an existing section
        ini.setValue("Environment", "DoubleCopies", "2"); // new section
        ASSERT_TRUE(ini.save());
    }
    EXPECT_EQ(readBytes(path), QByteArray("; written on Windows\r\n[Other]\r\nKey=Value with  spaces\r\n\r\n"
                                          "[MeisaiForm]\r\nt=100\r\nl=2\r\nw=640\r\n\r\n[Last]\nx=1\n"
                                          "[Environment]\r\nDoubleCopies=2\r\n"));
}

TEST(IniFile, PlacementRoundTripAndMissingSectionKeepsCurrent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("norvelreceipt.ini"));
    TLibrary lib;
    const QRect designed(10, 20, 640, 480);
    EXPECT_EQ(lib.LoadFormPlacement("MeisaiForm", designed, path), designed);
    ASSERT_TRUE(lib.SaveFormPlacement("MeisaiForm", QRect(-5, 7, 800, 600), path));
    EXPECT_EQ(lib.LoadFormPlacement("MeisaiForm", designed, path), QRect(-5, 7, 800, 600));
    EXPECT_EQ(readBytes(path), QByteArray("[MeisaiForm]\r\nt=7\r\nl=-5\r\nh=600\r\nw=800\r\n"));
}

// Closing a window that stayed where it was rewrites nothing: the same
// file (same inode) stays, where a change replaces it.
TEST(IniFile, UnchangedTextIsNotRewritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("norvelreceipt.ini"));
    TLibrary lib;
    ASSERT_TRUE(lib.SaveFormPlacement("MeisaiForm", QRect(1, 2, 300, 400), path));
    auto inode = [&path] {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t first = inode();
    ASSERT_NE(first, ino_t(0));
    ASSERT_TRUE(lib.SaveFormPlacement("MeisaiForm", QRect(1, 2, 300, 400), path));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(lib.SaveFormPlacement("MeisaiForm", QRect(1, 2, 300, 401), path));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(readBytes(path), QByteArray("[MeisaiForm]\r\nt=2\r\nl=1\r\nh=401\r\nw=300\r\n"));
}
