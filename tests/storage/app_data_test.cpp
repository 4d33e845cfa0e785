// Loading the program directory at start-up, bill numbers and the default items.

#include "storage/app_data.h"
#include "storage/cp932.h"
#include "test_dir.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

const QDateTime kNow(QDate(2007, 8, 9), QTime(12, 34, 56));
const uint32_t kNowMeiNo = 1186630496;

struct Loaded {
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;
    QString error;
    void load() { error = loadAppData(data, lib, dir.path(), kNow); }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
};

bool allZero(const THojoKamoku &k)
{
    static const THojoKamoku zero{};
    return std::memcmp(&k, &zero, sizeof k) == 0;
}

} // namespace

TEST(StartUp, EmptyDirectoryGetsDefaultsAndWritesNothing)
{
    Loaded t;
    t.load();
    EXPECT_TRUE(t.error.isEmpty());
    EXPECT_TRUE(QFileInfo(t.path("backup")).isDir());
    EXPECT_EQ(t.data.BackupPath, t.data.ExePath + "backup/");
    EXPECT_EQ(t.data.StartFlags, MissingBaseData | MissingKamoku | MissingReserve);
    EXPECT_EQ(fieldText(t.data.BaseData.CommentS), QStringLiteral("下記金額をご請求申し上げます\n"));
    EXPECT_EQ(fieldText(t.data.BaseData.CommentR),
              QStringLiteral("下記金額を領収いたしました\nまたのお越しを心よりお待ち申し上げます\n"));
    EXPECT_EQ(t.data.BaseData.Nyutouzei, 150);
    EXPECT_EQ(t.data.BaseData.Color3, 14811135u);
    EXPECT_EQ(t.data.BaseData.Color2, 15204330u);
    EXPECT_EQ(t.data.BaseData.Color1, 15792895u);
    EXPECT_EQ(t.data.BaseData.Color4, 6710886u);
    for (const auto &list : t.data.KamokuList)
        EXPECT_TRUE(list.empty());
    EXPECT_TRUE(t.data.ReserveList.empty());
    EXPECT_TRUE(t.data.UrikakeList.empty());
    EXPECT_EQ(t.data.NextMeiNo, kNowMeiNo);
    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    EXPECT_EQ(t.data.Version.split('.').size(), 4);
}

TEST(StartUp, LoadsEveryFileWithBlankItemEntries)
{
    Loaded t;
    QByteArray base(1532, 0);
    poke(base, 996, le32(10));
    writeBytes(t.path("base.dat"), base);
    QByteArray items;
    for (int i = 1; i <= 10; ++i) {
        QByteArray k(88, 0);
        poke(k, 0, le32(1601));
        poke(k, 4, le32(uint32_t(i)));
        poke(k, 8, "x");
        items += k;
    }
    writeBytes(t.path("kmk_syu.dat"), items);
    writeBytes(t.path("kmk_opt.dat"), items.left(88 * 7));
    writeBytes(t.path("reserve.dat"), QByteArray(372 * 2, 0));
    writeBytes(t.path("urikake.dat"), QByteArray(88 * 3 + 5, 0));
    // kmk_cpn.dat and the other item files are missing.
    t.load();
    EXPECT_EQ(t.data.StartFlags, 0);
    EXPECT_EQ(t.data.BaseData.Service, 10);
    EXPECT_EQ(t.data.BaseData.Nyutouzei, 0); // no defaults over a stored record
    ASSERT_EQ(t.data.KamokuList[0].size(), 60u);
    EXPECT_EQ(t.data.KamokuList[0][9].HojoCode, 10u);
    EXPECT_TRUE(allZero(t.data.KamokuList[0][10]));
    EXPECT_TRUE(allZero(t.data.KamokuList[0][59]));
    EXPECT_EQ(t.data.KamokuList[1].size(), 57u);
    ASSERT_EQ(t.data.KamokuList[7].size(), 50u);
    for (const auto &k : t.data.KamokuList[7])
        EXPECT_TRUE(allZero(k));
    EXPECT_EQ(t.data.ReserveList.size(), 2u);
    EXPECT_EQ(t.data.UrikakeList.size(), 3u);
}

TEST(StartUp, ItemFilesAreIgnoredWithoutTheFirstOne)
{
    Loaded t;
    writeBytes(t.path("kmk_opt.dat"), QByteArray(88 * 4, 1));
    t.load();
    EXPECT_TRUE(t.data.StartFlags & MissingKamoku);
    EXPECT_TRUE(t.data.KamokuList[1].empty());
}

TEST(StartUp, ShortBaseDataLoadsItsPrefix)
{
    Loaded t;
    QByteArray base(1000, 0);
    poke(base, 0, "Inn");
    poke(base, 996, le32(15));
    writeBytes(t.path("base.dat"), base.left(1000));
    t.load();
    EXPECT_EQ(t.data.StartFlags & MissingBaseData, 0);
    EXPECT_EQ(fieldText(t.data.BaseData.SisetuName), QStringLiteral("Inn"));
    EXPECT_EQ(t.data.BaseData.Service, 15);
    EXPECT_EQ(t.data.BaseData.Nyutouzei, 0);
    EXPECT_EQ(t.data.BaseData.Color4, 0u);
}

TEST(StartUp, BackupFolderThatCannotBeMadeLoadsAndRefusesEveryWrite)
{
    Loaded t;
    writeBytes(t.path("backup"), "a file where the folder should be");
    writeBytes(t.path("reserve.dat"), QByteArray(372, 1));
    t.load();
    // The data can be read: they are, and only writes are refused, said in Japanese.
    EXPECT_TRUE(t.error.contains(QStringLiteral("保存はできません"))) << t.error.toStdString();
    EXPECT_TRUE(t.error.contains(QStringLiteral("同じ名前のファイルがあります"))) << t.error.toStdString();
    EXPECT_EQ(t.data.ReserveList.size(), 1u);
    EXPECT_TRUE(t.lib.WritesRefused());
    QString error;
    EXPECT_FALSE(saveReserveList(t.data, t.lib, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(t.path("reserve.dat")), QByteArray(372, 1));
}

TEST(BillNumbers, FromTheClockAndAboveStoredBills)
{
    EXPECT_EQ(meiNoFromClock(kNow), kNowMeiNo);
    EXPECT_EQ(meiNoFromClock(kNow.addSecs(1)), kNowMeiNo + 1);
    // Milliseconds are cut, not rounded.
    EXPECT_EQ(meiNoFromClock(QDateTime(kNow.date(), QTime(12, 34, 56, 999))), kNowMeiNo);

    RecordList<TReserveData> stored(2);
    stored[0].MeiNo = kNowMeiNo - 100;
    stored[1].MeiNo = kNowMeiNo - 50;
    EXPECT_EQ(firstMeiNo(kNow, stored), kNowMeiNo);
    stored[1].MeiNo = kNowMeiNo + 500; // a clock set back since that bill
    EXPECT_EQ(firstMeiNo(kNow, stored), kNowMeiNo + 501);

    Loaded t;
    QByteArray r(372, 0);
    poke(r, 0, le32(kNowMeiNo + 7));
    writeBytes(t.path("reserve.dat"), r);
    t.load();
    EXPECT_EQ(t.data.NextMeiNo, kNowMeiNo + 8);
}

TEST(DefaultItems, ParseAndSeed)
{
    int category = -1;
    const THojoKamoku jcb = parseDefaultKamoku(QStringLiteral("0101,1,JCB,JCB,0"), &category);
    EXPECT_EQ(jcb.KamokuCode, 101u);
    EXPECT_EQ(jcb.HojoCode, 1u);
    EXPECT_EQ(itemKey(jcb), 101001u);
    EXPECT_EQ(category, 6);
    const THojoKamoku beer = parseDefaultKamoku(QStringLiteral("1601,102,ビール,Beer,800"), &category);
    EXPECT_EQ(fieldText(beer.Tekiyo), QStringLiteral("ビール"));
    EXPECT_EQ(fieldText(beer.ETekiyo), QStringLiteral("Beer"));
    EXPECT_EQ(beer.Tanka, 800);
    EXPECT_EQ(category, 1);
    parseDefaultKamoku(QStringLiteral(",5,x,y,0"), &category); // empty code reads 0
    EXPECT_EQ(category, 5);

    ASSERT_EQ(DefaultKamokuLines.size(), 47);
    std::array<RecordList<THojoKamoku>, KamokuCategories> lists;
    lists[3].resize(50);
    seedDefaultKamoku(lists);
    const size_t counts[KamokuCategories] = {12, 6, 5, 5, 3, 3, 10, 2, 1};
    for (int i = 0; i < KamokuCategories; ++i)
        EXPECT_EQ(lists[i].size(), counts[i]) << "category " << i;
    EXPECT_EQ(itemKey(lists[5][0]), 1601990u);
    EXPECT_EQ(itemKey(lists[7][1]), 102002u);
}

TEST(Backups, SameDayReplacesOtherDaysAccumulate)
{
    Loaded t;
    t.load();
    t.data.UrikakeList.resize(1);
    ASSERT_TRUE(backupUrikakeList(t.data, t.lib, QDate(2008, 3, 31), nullptr));
    t.data.UrikakeList.resize(2);
    ASSERT_TRUE(backupUrikakeList(t.data, t.lib, QDate(2008, 3, 31), nullptr));
    ASSERT_TRUE(backupReserveList(t.data, t.lib, QDate(2014, 3, 21), nullptr));
    EXPECT_EQ(readBytes(t.path("backup/urikake.dat2008_03_31")).size(), 176);
    EXPECT_TRUE(QFile::exists(t.path("backup/reserve.dat2014_03_21")));
    EXPECT_EQ(QDir(t.data.BackupPath).entryList(QDir::Files).size(), 2);
}
