// Multi-file saves: the commit itself, and what the start makes of the
// traces of one a crash cut short.

#include "storage/app_data.h"
#include "storage/file_commit.h"
#include "test_dir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QStringList filesIn(const QString &dir)
{
    QStringList f = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    f.sort();
    return f;
}

struct Dir {
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.filePath(name); }
    QString dir() const { return tmp.path(); }
};

CommitResult commit(const Dir &d, const QByteArray &a, const QByteArray &b, QString *error = nullptr)
{
    return commitFiles(d.dir(), {{"a.dat", a.constData(), size_t(a.size())}, {"b.dat", b.constData(), size_t(b.size())}},
                       error);
}

bool ownsAll(const QString &) { return true; }

} // namespace

TEST(FileCommit, ReplacesEveryFileAndLeavesNothingElse)
{
    Dir d;
    writeBytes(d.path("a.dat"), "old a");
    ASSERT_EQ(commit(d, "new a", "new b"), CommitResult::Done); // b.dat is new
    EXPECT_EQ(readBytes(d.path("a.dat")), "new a");
    EXPECT_EQ(readBytes(d.path("b.dat")), "new b");
    EXPECT_EQ(filesIn(d.dir()), (QStringList{"a.dat", "b.dat"}));
    ASSERT_EQ(commit(d, "", "x"), CommitResult::Done);
    EXPECT_EQ(readBytes(d.path("a.dat")), "");
    EXPECT_EQ(filesIn(d.dir()), (QStringList{"a.dat", "b.dat"}));
}

TEST(FileCommit, StartFinishesACompleteRecord)
{
    // As a stop after the first rename leaves it: a.dat new, b.dat old, the
    // record complete, b's new contents and both old links in place.
    Dir d;
    writeBytes(d.path("a.dat"), "new a");
    writeBytes(d.path(".a.dat.Old001"), "old a");
    writeBytes(d.path("b.dat"), "old b");
    writeBytes(d.path(".b.dat.Old002"), "old b");
    writeBytes(d.path(".b.dat.New002"), "new b");
    writeBytes(d.path("norvel.commit"), "norvel commit 1\n"
                                        "a.dat\t.a.dat.New001\t.a.dat.Old001\n"
                                        "b.dat\t.b.dat.New002\t.b.dat.Old002\n"
                                        "end 2\n");
    EXPECT_EQ(pendingCommitFiles(d.dir()), QStringList{"b.dat"});
    TLibrary lib;
    QString error;
    EXPECT_FALSE(lib.WriteRecords("x", 1, d.path("b.dat"), 1, &error)) << "no write over a pending save";
    EXPECT_EQ(commit(d, "c", "d", &error), CommitResult::Unchanged);
    EXPECT_TRUE(error.contains("b.dat"));

    ASSERT_TRUE(recoverCommit(d.dir(), ownsAll, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(d.path("a.dat")), "new a");
    EXPECT_EQ(readBytes(d.path("b.dat")), "new b");
    EXPECT_EQ(filesIn(d.dir()), (QStringList{"a.dat", "b.dat"}));
}

TEST(FileCommit, StartDropsAnIncompleteRecordAndEveryTemporaryFile)
{
    Dir d;
    writeBytes(d.path("a.dat"), "old a");
    writeBytes(d.path(".a.dat.New001"), "new a");
    writeBytes(d.path("norvel.commit"), "norvel commit 1\na.dat\t.a.dat.New001\t-\n"); // no end line
    writeBytes(d.path(".norvel.commit.Xy12Z9"), "norvel comm");
    writeBytes(d.path(".b.dat.abcdef"), "a writer's leftover");
    // Not the writers' own: kept.
    writeBytes(d.path(".b.dat.orig"), "1");
    writeBytes(d.path(".other.dat.abcdef"), "2");
    writeBytes(d.path("notes.txt"), "3");
    QString error;
    ASSERT_TRUE(recoverCommit(d.dir(), [](const QString &n) { return n == "a.dat" || n == "b.dat"; }, &error));
    EXPECT_EQ(readBytes(d.path("a.dat")), "old a");
    EXPECT_EQ(filesIn(d.dir()), (QStringList{".b.dat.orig", ".other.dat.abcdef", "a.dat", "notes.txt"}));
}

TEST(FileCommit, RecordNamingForeignFilesIsNotFollowed)
{
    Dir d;
    writeBytes(d.path("a.dat"), "old a");
    writeBytes(d.path(".x.dat.New001"), "x");
    writeBytes(d.path("norvel.commit"), "norvel commit 1\n../a.dat\t.x.dat.New001\t-\nend 1\n");
    QString error;
    ASSERT_TRUE(recoverCommit(d.dir(), ownsAll, &error));
    EXPECT_EQ(readBytes(d.path("a.dat")), "old a");
    EXPECT_FALSE(QFile::exists(d.path("norvel.commit")));
}

TEST(FileCommit, StartUpRecoversBeforeLoading)
{
    Dir d;
    QByteArray oldReserve(372, 'o'), newReserve(372 * 2, 'n');
    writeBytes(d.path("reserve.dat"), oldReserve);
    writeBytes(d.path(".reserve.dat.New001"), newReserve);
    writeBytes(d.path("urikake.dat"), QByteArray(88, 'n')); // renamed already
    writeBytes(d.path("norvel.commit"), "norvel commit 1\n"
                                        "urikake.dat\t.urikake.dat.New002\t-\n"
                                        "reserve.dat\t.reserve.dat.New001\t.reserve.dat.Old001\n"
                                        "end 2\n");
    writeBytes(d.path(".norvelreceipt.ini.q1w2e3"), "[MainForm]");
    AppData data;
    TLibrary lib;
    ASSERT_TRUE(loadAppData(data, lib, d.dir(), QDateTime(QDate(2007, 8, 9), QTime(12, 0))).isEmpty());
    EXPECT_EQ(data.ReserveList.size(), 2u);
    EXPECT_EQ(data.UrikakeList.size(), 1u);
    EXPECT_EQ(filesIn(d.dir()), (QStringList{"reserve.dat", "urikake.dat"}));
}

TEST(FileCommit, BillListsAndItemFilesSaveAsOneCommit)
{
    Dir d;
    AppData data;
    TLibrary lib;
    ASSERT_TRUE(loadAppData(data, lib, d.dir(), QDateTime(QDate(2007, 8, 9), QTime(12, 0))).isEmpty());
    seedDefaultKamoku(data.KamokuList);
    data.ReserveList.edit().resize(3);
    data.UrikakeList.resize(1);
    QString error;
    ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();
    ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(d.path("kmk_syu.dat")).size(), 12 * 88);
    EXPECT_EQ(readBytes(d.path("kmk_mae.dat")).size(), 88);
    EXPECT_EQ(readBytes(d.path("reserve.dat")).size(), 3 * 372);
    EXPECT_EQ(readBytes(d.path("urikake.dat")).size(), 88);
    EXPECT_EQ(filesIn(d.dir()).size(), 11);

    lib.RefuseWrites("refused");
    EXPECT_FALSE(saveKamokuLists(data, lib, &error));
    EXPECT_TRUE(error.contains("refused"));
}
