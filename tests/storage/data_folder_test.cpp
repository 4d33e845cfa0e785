// Where the data live: beside a portable copy, in the user's data folder for
// an installed one; and where the manual is found.

#include "storage/data_folder.h"
#include "test_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QProcessEnvironment envOf(std::initializer_list<std::pair<const char *, const char *>> vars)
{
    QProcessEnvironment env;
    for (const auto &[k, v] : vars)
        env.insert(QString::fromUtf8(k), QString::fromUtf8(v));
    return env;
}

struct FolderCase {
    const char *name;
    const char *exeDir;
    QProcessEnvironment env;
    const char *folder;
};

TEST(DataFolder, PortableCopyKeepsItsDataBesideItselfAndAnInstalledOneInTheUsersFolder)
{
    const FolderCase cases[] = {
        {"portable copy", "/home/inn/norvel", envOf({{"HOME", "/home/inn"}}), "/home/inn/norvel"},
        {"portable copy ignores NORVEL_DATA_DIR (./run copies the program there)", "/srv/desk/",
         envOf({{"HOME", "/home/inn"}, {"NORVEL_DATA_DIR", "/elsewhere"}}), "/srv/desk"},
        {"installed, home only", "/usr/bin", envOf({{"HOME", "/home/inn"}}), "/home/inn/.local/share/norvel"},
        {"installed, XDG_DATA_HOME", "/usr/bin", envOf({{"HOME", "/home/inn"}, {"XDG_DATA_HOME", "/home/inn/d"}}),
         "/home/inn/d/norvel"},
        {"installed, a relative XDG_DATA_HOME does not count", "/usr/bin",
         envOf({{"HOME", "/home/inn"}, {"XDG_DATA_HOME", "d"}}), "/home/inn/.local/share/norvel"},
        {"installed, NORVEL_DATA_DIR first", "/usr/bin",
         envOf({{"HOME", "/home/inn"}, {"XDG_DATA_HOME", "/x"}, {"NORVEL_DATA_DIR", "/srv/inn/"}}), "/srv/inn"},
        {"installed elsewhere under /usr", "/usr/local/bin", envOf({{"HOME", "/root"}}), "/root/.local/share/norvel"},
        {"a folder merely named usr is portable", "/home/usr/bin", envOf({{"HOME", "/root"}}), "/home/usr/bin"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dataFolderFor(QString::fromUtf8(c.exeDir), c.env), QString::fromUtf8(c.folder));
    }
}

TEST(DataFolder, OpeningMakesTheFolderWithItsParents)
{
    QTemporaryDir tmp;
    const QString exeDir = tmp.path() + QStringLiteral("/a/b");
    QString error;
    EXPECT_EQ(openDataFolder(exeDir, &error), exeDir);
    EXPECT_TRUE(QDir(exeDir).exists());
    EXPECT_TRUE(error.isEmpty());
}

TEST(DataFolder, AFolderThatCannotBeMadeIsNamedInTheMessage)
{
    QTemporaryDir tmp;
    writeBytes(tmp.path() + QStringLiteral("/file"), "x");
    const QString exeDir = tmp.path() + QStringLiteral("/file/sub");
    QString error;
    EXPECT_TRUE(openDataFolder(exeDir, &error).isEmpty());
    EXPECT_TRUE(error.contains(exeDir)) << error.toStdString();
}

TEST(Manual, BesideTheProgramFirstThenThePackagesThenTheCheckouts)
{
    QTemporaryDir tmp;
    const QString exeDir = tmp.path() + QStringLiteral("/prefix/bin");
    const QStringList places = manualPlaces(exeDir);
    ASSERT_GE(places.size(), 3);
    EXPECT_EQ(places[0], exeDir + QStringLiteral("/manual/index.html"));
    EXPECT_EQ(places[1], tmp.path() + QStringLiteral("/prefix/share/doc/norvel/manual/index.html"));
    EXPECT_EQ(places[2], QStringLiteral(NORVEL_SOURCE_DIR "/doc/manual/index.html"));

    // The checkout's manual is found from anywhere...
    EXPECT_EQ(findManual(exeDir), places[2]);
    // ...and a package's or a portable copy's own one before it.
    QDir().mkpath(tmp.path() + QStringLiteral("/prefix/share/doc/norvel/manual"));
    writeBytes(places[1], "<html></html>");
    EXPECT_EQ(findManual(exeDir), places[1]);
    QDir().mkpath(exeDir + QStringLiteral("/manual"));
    writeBytes(places[0], "<html></html>");
    EXPECT_EQ(findManual(exeDir), places[0]);
}

} // namespace
