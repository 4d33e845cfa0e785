// Saves that write several files, under faults: every file operation of a
// save fails in turn (once; and, separately, as a disk that stays full from
// there on), and the process is killed in turn before and after each one, and
// at random moments by a real kill -9 from outside. Afterwards and after the
// next start the files are all old or all new, never torn, no temporary file
// is left, the lists in memory equal the files and the message says what the
// files hold.

#include "billing/bill_storage.h"
#include "billing/kamoku_master.h"
#include "reports/month_export.h"
#include "reservations/reservation_list.h"
#include "storage/file_ops.h"
#include "bill_fixtures.h"
#include "fault_ops.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2007, 8, 12), QTime(10, 0));

// One save of several files: how to lay out the old files, the change, and
// which files it writes.
struct SaveCase {
    const char *name;
    QStringList files;
    std::function<void(AppData &, TLibrary &)> prepare; // fills the lists and writes the old files
    std::function<QString(AppData &, TLibrary &)> save; // the save; its message
    std::function<QByteArray(const AppData &, const QString &)> memory; // a list's bytes
    // Whether a failed save leaves the lists as the files (a bill does; the
    // item master window keeps its edits for another try).
    bool listsFollowFiles = true;
};

TReserveData billLine(uint32_t meiNo, uint32_t key, int32_t tanka, const char *date, const char *room)
{
    TReserveData r = line(key, tanka, 1, date, room, "明細");
    r.MeiNo = meiNo;
    setFieldText(r.Regday, QStringLiteral("R%1").arg(meiNo));
    setFieldText(r.Name, QStringLiteral("山田太郎"));
    r.Stay = 1;
    r.Stayx = 1;
    return r;
}

// A month of other bills, and bill 100 paid by card; the save removes the
// card payment and changes a line, as in the lost-receivable report. Bill
// 100's lines come last, or (spread) one among the first other bills and
// one after them, where a failed save has to put them back.
SaveCase billCase(int otherBills, bool spread = false)
{
    SaveCase c;
    c.name = "SaveBill";
    c.files = {"reserve.dat", "urikake.dat"};
    c.prepare = [otherBills, spread](AppData &data, TLibrary &lib) {
        data.ReserveList.clear();
        data.UrikakeList.clear();
        for (int b = 0; b < otherBills; ++b) {
            const uint32_t no = 1000 + uint32_t(b);
            for (int l = 0; l < 3; ++l)
                data.ReserveList.push_back(billLine(no, 1601001, 9000 + l, "2007/08/01", "201"));
            if (spread && b == 1)
                data.ReserveList.push_back(billLine(100, 1601001, 10000, "2007/08/09", "101"));
            TUrikakeData u{};
            u.MeiNo = no;
            u.Card = 101001;
            u.Goukei = 9000;
            data.UrikakeList.push_back(u);
        }
        if (!spread)
            data.ReserveList.push_back(billLine(100, 1601001, 10000, "2007/08/09", "101"));
        data.ReserveList.push_back(billLine(100, 1601102, 800, "2007/08/09", "101"));
        TUrikakeData u{};
        u.MeiNo = 100;
        u.Card = 101002;
        u.Goukei = 10800;
        data.UrikakeList.push_back(u);
        QString error;
        ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    };
    c.save = [](AppData &data, TLibrary &lib) {
        TBillState b;
        OpenBill(b, data, 100);
        SetCardKind(b, QString());
        b.Lines[1].Suryou = 2;
        CalcTotals(b, data.BaseData);
        return SaveBill(b, data, lib).text;
    };
    c.memory = [](const AppData &data, const QString &file) {
        return file == "reserve.dat" ? listBytes(data.ReserveList) : listBytes(data.UrikakeList);
    };
    return c;
}

// The item master's nine files: a changed price in the first, an entry more in the last.
SaveCase kamokuCase()
{
    SaveCase c;
    c.name = "saveKamokuLists";
    for (const char *f : KamokuFileNames)
        c.files << QLatin1String(f);
    c.prepare = [](AppData &data, TLibrary &lib) {
        seedDefaultKamoku(data.KamokuList);
        QString error;
        ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();
    };
    c.save = [](AppData &data, TLibrary &lib) {
        data.KamokuList[0][0].Tanka = 12000;
        data.KamokuList[8].push_back(data.KamokuList[8][0]);
        data.KamokuList[8].back().HojoCode = 2;
        QString error;
        saveKamokuLists(data, lib, &error);
        return error;
    };
    // The entries without the blank ones the start adds.
    c.memory = [](const AppData &data, const QString &file) {
        for (int i = 0; i < KamokuCategories; ++i) {
            if (file != QLatin1String(KamokuFileNames[i]))
                continue;
            QByteArray b = listBytes(data.KamokuList[i]);
            while (b.size() >= 88 && b.right(88).count('\0') == 88)
                b.chop(88);
            return b;
        }
        return QByteArray();
    };
    c.listsFollowFiles = false;
    return c;
}

using Bytes = std::map<QString, QByteArray>;

Bytes readFiles(const QString &dir, const QStringList &files)
{
    Bytes b;
    for (const QString &f : files)
        b[f] = fileBytes(dir + QLatin1Char('/') + f);
    return b;
}

struct Figures {
    int runs = 0, faults = 0, torn = 0, mixed = 0, leftBehind = 0, wrongMessage = 0, memoryDiffers = 0;
    void print(const char *what) const
    {
        std::printf("%s: %d runs, %d faults injected, %d torn files, %d mixed sets, %d files left behind, "
                    "%d untrue messages, %d lists unlike the files\n",
                    what, runs, faults, torn, mixed, leftBehind, wrongMessage, memoryDiffers);
    }
};

class SaveFaults : public ::testing::Test {
protected:
    // The old and the new bytes of every file of the case, from a save without faults.
    void learn(const SaveCase &c)
    {
        QTemporaryDir dir(sweepRoot());
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        c.prepare(data, lib);
        oldFiles = readFiles(dir.path(), c.files);
        FaultOps counter;
        {
            ScopedOps scoped(&counter);
            ASSERT_TRUE(c.save(data, lib).isEmpty());
        }
        operations = counter.calls;
        newFiles = readFiles(dir.path(), c.files);
        for (const QString &f : c.files)
            if (oldFiles[f] != newFiles[f])
                ++changedFiles;
        ASSERT_GE(changedFiles, 2) << "the save must change several files";
    }

    // "old", "new", or "torn"/"mixed" for the files of dir.
    QString state(const Bytes &b, const QStringList &files, int *torn) const
    {
        int olds = 0, news = 0;
        for (const QString &f : files) {
            const bool isOld = b.at(f) == oldFiles.at(f), isNew = b.at(f) == newFiles.at(f);
            if (isOld)
                ++olds;
            if (isNew)
                ++news;
            if (!isOld && !isNew)
                ++*torn;
        }
        if (olds == files.size())
            return "old";
        if (news == files.size())
            return "new";
        return "mixed";
    }

    // Program files, the backup folder: anything else is left behind.
    static int leftBehind(const QString &dir, const QStringList &files)
    {
        int n = 0;
        for (const QString &f : QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (!files.contains(f) && f != QLatin1String("backup"))
                ++n;
        return n;
    }

    // The next start on dir: all old or all new, nothing left, lists as the files.
    void nextStart(const SaveCase &c, const QString &dir, Figures &fig, const QString &expect = {})
    {
        AppData data;
        TLibrary lib;
        const QString error = loadAppData(data, lib, dir, kNow);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        int torn = 0;
        const Bytes b = readFiles(dir, c.files);
        const QString s = state(b, c.files, &torn);
        fig.torn += torn;
        if (s == "mixed")
            ++fig.mixed;
        if (!expect.isEmpty() && s != expect)
            ++fig.wrongMessage;
        fig.leftBehind += leftBehind(dir, c.files);
        for (const QString &f : c.files)
            if (c.memory(data, f) != b.at(f))
                ++fig.memoryDiffers;
    }

    // Every operation fails in turn, in this process.
    Figures failEach(const SaveCase &c, FaultOps::Mode mode)
    {
        Figures fig;
        for (int at = 1; at <= operations; ++at) {
            SCOPED_TRACE(at);
            QTemporaryDir dir(sweepRoot());
            AppData data;
            TLibrary lib;
            EXPECT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
            c.prepare(data, lib);
            FaultOps faults;
            faults.mode = mode;
            faults.at = at;
            QString message;
            {
                ScopedOps scoped(&faults);
                message = c.save(data, lib);
            }
            ++fig.runs;
            ++fig.faults;
            int torn = 0;
            const Bytes b = readFiles(dir.path(), c.files);
            const QString s = state(b, c.files, &torn);
            fig.torn += torn;
            if (s == "mixed")
                ++fig.mixed;
            // What the message says the files hold.
            QString said = "new";
            if (message.contains(QStringLiteral("保存前のまま")))
                said = "old";
            else if (!message.isEmpty() && !message.contains(QStringLiteral("置き換えましたが")))
                said = "?";
            if (said != s) {
                ++fig.wrongMessage;
                ADD_FAILURE() << "files " << s.toStdString() << ", message: " << message.toStdString();
            }
            for (const QString &f : c.files)
                if (c.listsFollowFiles && c.memory(data, f) != b.at(f))
                    ++fig.memoryDiffers;
            nextStart(c, dir.path(), fig, s);
        }
        return fig;
    }

    // The process is killed before or after each operation in turn.
    Figures killEach(const SaveCase &c, FaultOps::Mode mode)
    {
        Figures fig;
        for (int at = 1; at <= operations; ++at) {
            SCOPED_TRACE(at);
            QTemporaryDir dir(sweepRoot());
            AppData data;
            TLibrary lib;
            EXPECT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
            c.prepare(data, lib);
            std::fflush(nullptr);
            const pid_t child = ::fork();
            if (child == 0) {
                FaultOps faults;
                faults.mode = mode;
                faults.at = at;
                setFileOps(&faults);
                c.save(data, lib);
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ++fig.runs;
            if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                ++fig.faults;
            // Before the next start: no file torn.
            int torn = 0;
            state(readFiles(dir.path(), c.files), c.files, &torn);
            fig.torn += torn;
            nextStart(c, dir.path(), fig);
        }
        return fig;
    }

    Bytes oldFiles, newFiles;
    int operations = 0;
    int changedFiles = 0;
};

void expectClean(const Figures &f)
{
    EXPECT_EQ(f.torn, 0);
    EXPECT_EQ(f.mixed, 0);
    EXPECT_EQ(f.leftBehind, 0);
    EXPECT_EQ(f.wrongMessage, 0);
    EXPECT_EQ(f.memoryDiffers, 0);
}

TEST_F(SaveFaults, EveryStepOfABillSaveFailsInTurn)
{
    const SaveCase c = billCase(30);
    learn(c);
    ASSERT_GT(operations, 15);
    for (auto [mode, name] : {std::pair{FaultOps::FailOnce, "bill save, one failing call"},
                              std::pair{FaultOps::DiskFull, "bill save, disk full from a call on"}}) {
        SCOPED_TRACE(name);
        const Figures f = failEach(c, mode);
        f.print(name);
        EXPECT_EQ(f.faults, operations);
        expectClean(f);
    }
}

// The save is made in the list itself: a failed one puts bill 100's lines
// back where they stood among the others.
TEST_F(SaveFaults, ABillAmongOthersFailsInTurn)
{
    const SaveCase c = billCase(30, true);
    learn(c);
    const Figures f = failEach(c, FaultOps::FailOnce);
    f.print("bill among others, one failing call");
    EXPECT_EQ(f.faults, operations);
    expectClean(f);
}

TEST_F(SaveFaults, BillSaveKilledBeforeAndAfterEveryStep)
{
    const SaveCase c = billCase(30);
    learn(c);
    for (auto [mode, name] : {std::pair{FaultOps::KillBefore, "bill save, killed before a call"},
                              std::pair{FaultOps::KillAfter, "bill save, killed after a call"}}) {
        SCOPED_TRACE(name);
        const Figures f = killEach(c, mode);
        f.print(name);
        EXPECT_EQ(f.faults, operations);
        expectClean(f);
    }
}

TEST_F(SaveFaults, ItemMasterSaveFailsAndIsKilledAtEveryStep)
{
    const SaveCase c = kamokuCase();
    learn(c);
    // Nine files make a long sweep: one failing call and a kill before each.
    const Figures failed = failEach(c, FaultOps::FailOnce);
    failed.print("item master, one failing call");
    expectClean(failed);
    const Figures killed = killEach(c, FaultOps::KillBefore);
    killed.print("item master, killed before a call");
    EXPECT_EQ(killed.faults, operations);
    expectClean(killed);
}

// A child saves the bill over and over, alternating two versions; it is
// killed with SIGKILL from outside at a random moment, then the next start
// must find both files of one version. On the ordinary temporary folder,
// disk flushes and all.
TEST_F(SaveFaults, RealKillDuringRepeatedSaves)
{
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;
    ASSERT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
    // Large enough that a save takes a while.
    billCase(4000).prepare(data, lib);
    const QString reserve = dir.filePath("reserve.dat"), urikake = dir.filePath("urikake.dat");

    // The two versions, and their bytes.
    TBillState withCard, withoutCard;
    OpenBill(withCard, data, 100);
    withCard.Lines[0].Tanka = 11000;
    CalcTotals(withCard, data.BaseData);
    withoutCard = withCard;
    SetCardKind(withoutCard, QString());
    withoutCard.Lines[1].Suryou = 3;
    CalcTotals(withoutCard, data.BaseData);
    std::pair<QByteArray, QByteArray> versions[2];
    for (int v : {1, 0}) {
        ASSERT_TRUE(SaveBill(v ? withoutCard : withCard, data, lib).isEmpty());
        versions[v] = {fileBytes(reserve), fileBytes(urikake)};
    }
    ASSERT_NE(versions[0].second, versions[1].second);

    Figures fig;
    int midSave = 0;
    const int kills = 60;
    for (int k = 0; k < kills; ++k) {
        std::fflush(nullptr);
        // The child says when its files are loaded, so the random moment
        // falls among the saves however slow the start is (a sanitizer build
        // loads for longer than the longest wait).
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            AppData mine;
            TLibrary myLib;
            if (!loadAppData(mine, myLib, dir.path(), kNow).isEmpty())
                ::_exit(2);
            const char one = 1;
            if (::write(ready[1], &one, 1) != 1)
                ::_exit(4);
            ::close(ready[1]);
            for (int i = 0;; ++i)
                if (!SaveBill(i % 2 ? withoutCard : withCard, mine, myLib).isEmpty())
                    ::_exit(3);
        }
        ::close(ready[1]);
        char got = 0;
        const bool loaded = ::read(ready[0], &got, 1) == 1;
        ::close(ready[0]);
        ::usleep(useconds_t(2000 + QRandomGenerator::global()->bounded(30000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ++fig.runs;
        ASSERT_TRUE(loaded) << "the child did not load the files";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);
        ++fig.faults;
        // Traces of a save under way: the kill fell inside one.
        if (leftBehind(dir.path(), {"reserve.dat", "urikake.dat"}) > 0)
            ++midSave;
        for (const QString &f : {reserve, urikake}) {
            const QByteArray b = fileBytes(f);
            const bool known = f == reserve ? (b == versions[0].first || b == versions[1].first)
                                            : (b == versions[0].second || b == versions[1].second);
            if (!known)
                ++fig.torn;
        }
        AppData next;
        TLibrary nextLib;
        ASSERT_TRUE(loadAppData(next, nextLib, dir.path(), kNow).isEmpty());
        const std::pair<QByteArray, QByteArray> now{fileBytes(reserve), fileBytes(urikake)};
        if (now != versions[0] && now != versions[1])
            ++fig.mixed;
        if (listBytes(next.ReserveList) != now.first || listBytes(next.UrikakeList) != now.second)
            ++fig.memoryDiffers;
        fig.leftBehind += leftBehind(dir.path(), {"reserve.dat", "urikake.dat"});
    }
    fig.print("bill save, real kill -9 at random moments");
    std::printf("  %d of the kills fell inside a save (its temporary files or record were there)\n", midSave);
    EXPECT_GT(midSave, 0);
    expectClean(fig);
}

// A bill made at the desk, or a room split off, is on disk the moment it is
// made: the process killed (kill -9) right after it, the next start has it.
TEST_F(SaveFaults, BillsMadeOrSplitOffSurviveAKillRightAfter)
{
    const struct {
        const char *name;
        std::function<uint32_t(AppData &)> act; // the new bill's number
    } cases[] = {
        {"new bill", [](AppData &data) { return createBill(data, QDate(2007, 8, 12)); }},
        {"room split off", [](AppData &data) { return splitRoom(data, 100, "102"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        data.ReserveList.push_back(billLine(100, 1601001, 10000, "2007/08/12", "101"));
        data.ReserveList.push_back(billLine(100, 1601001, 10000, "2007/08/12", "102"));
        ASSERT_TRUE(saveBillLists(data, lib, nullptr));
        const uint32_t expected = data.NextMeiNo;
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            AppData mine;
            TLibrary myLib;
            loadAppData(mine, myLib, dir.path(), kNow);
            mine.NextMeiNo = expected;
            c.act(mine);
            storeBillLists(mine, myLib);
            ::kill(::getpid(), SIGKILL);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        AppData next;
        TLibrary nextLib;
        ASSERT_TRUE(loadAppData(next, nextLib, dir.path(), kNow).isEmpty());
        bool found = false;
        for (const TReserveData &r : next.ReserveList)
            found = found || r.MeiNo == expected;
        EXPECT_TRUE(found);
        EXPECT_EQ(leftBehind(next.ExePath, {"reserve.dat", "urikake.dat"}), 0);
    }
}

// Twenty starts, each followed by a save of the item master and a kill -9, on
// a fixed clock: the item files keep their size, every key stays in its
// category's range, and the month reports do not change.
TEST_F(SaveFaults, TwentyStartsWithAnItemMasterSaveChangeNothing)
{
    QTemporaryDir dir;
    {
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        seedDefaultKamoku(data.KamokuList);
        ASSERT_TRUE(saveKamokuLists(data, lib, nullptr));
        for (uint32_t key : {1601001u, 1601002u, 1601101u, 1601106u, 1601801u})
            data.ReserveList.push_back(billLine(100, key, 1000, "2007/08/09", "101"));
        ASSERT_TRUE(saveBillLists(data, lib, nullptr));
    }
    auto reports = [&](const AppData &data) {
        QStringList all;
        for (const ExportReport &r : exportReports())
            for (int category = 0; category < 3; ++category)
                for (const QStringList &row : r.grid(data, ReportMonth(2007, 8), category).rows)
                    all << row.join(QLatin1Char(','));
        return all;
    };
    std::map<QString, qint64> firstSizes;
    QStringList firstReports;
    for (int start = 0; start < 20; ++start) {
        SCOPED_TRACE(start);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            AppData data;
            TLibrary lib;
            loadAppData(data, lib, dir.path(), kNow);
            // The item master window opened and closed: renumbered and saved.
            renumberKamoku(data.KamokuList);
            saveKamokuLists(data, lib, nullptr);
            ::kill(::getpid(), SIGKILL);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        std::map<QString, qint64> sizes;
        for (const char *f : KamokuFileNames)
            sizes[QLatin1String(f)] = QFileInfo(dir.filePath(QLatin1String(f))).size();
        for (int c = 0; c < 3; ++c) {
            const uint32_t low = 1601000u + (c == 0 ? 1 : c == 1 ? 101 : 801);
            EXPECT_LE(data.KamokuList[size_t(c)].size(), size_t(kamokuCapacity(c)));
            renumberKamoku(data.KamokuList);
            for (const THojoKamoku &k : data.KamokuList[size_t(c)]) {
                EXPECT_GE(itemKey(k), low);
                EXPECT_LE(itemKey(k), low + uint32_t(kamokuCapacity(c)) - 1);
            }
        }
        const QStringList now = reports(data);
        if (start == 0) {
            firstSizes = sizes;
            firstReports = now;
            ASSERT_FALSE(now.isEmpty());
        } else {
            EXPECT_EQ(sizes, firstSizes);
            EXPECT_EQ(now, firstReports);
        }
    }
}

} // namespace
