// The reservation list's rules without a window: the rows of a day and their
// order, the row texts, a new bill, a room split off and a bill deleted.

#include "reservations/reservation_list.h"
#include "storage/cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TReserveData rec(uint32_t meiNo, const char *day, const char *room = "101", int32_t tanka = 0, int32_t suryou = 0)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    setFieldText(r.Rsvday, QString::fromUtf8(day));
    setFieldText(r.Room, QString::fromUtf8(room));
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
}

RecordList<TReserveData> listOf(std::initializer_list<TReserveData> records) { return {records}; }

std::vector<size_t> rowsOn(const RecordList<TReserveData> &list, const QDate &day = QDate(2014, 3, 21))
{
    std::vector<size_t> rows;
    collectDayRows(ReserveRecords(list), day, rows);
    return rows;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class List> QByteArray listBytes(const List &list)
{
    return QByteArray(reinterpret_cast<const char *>(list.data()),
                      qsizetype(list.size() * sizeof(typename List::value_type)));
}

} // namespace

TEST(ReservationList, DateTexts)
{
    const RecordDate d = recordDate(QDate(2014, 3, 21));
    EXPECT_EQ(std::string(d.data(), d.size()), "2014/03/21");
    EXPECT_EQ(listDateLabel(QDate(2014, 3, 21)), QStringLiteral("2014年03月21日(金)"));
    EXPECT_EQ(listDateLabel(QDate(2007, 8, 12)), QStringLiteral("2007年08月12日(日)"));
}

TEST(ReservationList, RowsOfADay)
{
    const char *day = "2014/03/21";
    struct Case {
        const char *name;
        RecordList<TReserveData> list;
        std::vector<size_t> rows;
    } cases[] = {
        {"empty list", {}, {}},
        {"other dates only", listOf({rec(5, "2014/03/20"), rec(5, "2014/03/22")}), {}},
        {"three lines of one room give one row", listOf({rec(5, day), rec(5, day), rec(5, day)}), {0}},
        {"two rooms give two rows", listOf({rec(5, day, "101"), rec(5, day, "102"), rec(5, day, "102")}), {0, 1}},
        {"a room met again after another room is the same row",
         listOf({rec(5, day, "101"), rec(5, day, "102"), rec(5, day, "101")}), {0, 1}},
        {"a bill's lines apart in the list are one row",
         listOf({rec(5, day), rec(5, "2014/03/22"), rec(5, day), rec(5, day)}), {0}},
        {"the previous line on another day does not hide",
         listOf({rec(5, "2014/03/20"), rec(5, day), rec(5, day)}), {1}},
        {"another bill in between lists the first once", listOf({rec(5, day), rec(6, day), rec(5, day)}), {0, 1}},
        {"numbers as text: 10 before 9", listOf({rec(9, day), rec(10, day), rec(8, day)}), {1, 2, 0}},
        {"ten-digit numbers in numeric order",
         listOf({rec(1395370002, day), rec(1395370001, day, "102"), rec(1395370001, day, "101")}), {1, 2, 0}},
        {"empty room is a room", listOf({rec(5, day, ""), rec(5, day, "")}), {0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rowsOn(c.list), c.rows);
    }
}

TEST(ReservationList, DateFieldWithoutNulIsNotTheDay)
{
    TReserveData r = rec(5, "2014/03/21");
    r.Rsvday[10] = '0'; // eleven characters: another text
    EXPECT_TRUE(rowsOn(listOf({r})).empty());
}

TEST(ReservationList, TwoNightStayListsOneRowOnEachDate)
{
    TReserveData a = rec(7, "2014/03/21"), b = rec(7, "2014/03/21"), c = rec(7, "2014/03/22"), d = rec(7, "2014/03/22");
    a.Stay = b.Stay = c.Stay = d.Stay = 2;
    a.Stayx = b.Stayx = 1;
    c.Stayx = d.Stayx = 2;
    const auto list = listOf({a, b, c, d});
    EXPECT_EQ(rowsOn(list), std::vector<size_t>{0});
    EXPECT_EQ(rowsOn(list, QDate(2014, 3, 22)), std::vector<size_t>{2});
    EXPECT_EQ(rsvListCells(list[2])[RsvColStayx], QStringLiteral("2"));
}

// A two-night bill saved with a discount: the discount and total lines are
// stored after the second night's line and dated the first night. Each day
// lists the bill once, and the second night says so.
TEST(ReservationList, BillWithLinesAfterTheSecondNightIsOneRowPerDay)
{
    std::vector<TReserveData> lines = {rec(7, "2014/03/21", "101", 10000, 1), rec(7, "2014/03/22", "101", 10000, 1),
                                       rec(7, "2014/03/21", "101", -1000, 1), rec(7, "2014/03/21", "101", 0, 0),
                                       rec(8, "2014/03/21", "102", 8000, 1)};
    for (TReserveData &l : lines) {
        l.Stay = 2;
        l.Stayx = 1; // the bill window writes the night it was opened on to every line
    }
    lines[4].Stay = 1;
    const ReserveRecords list(RecordList<TReserveData>(lines.begin(), lines.end()));
    std::vector<size_t> rows;
    collectDayRows(list, QDate(2014, 3, 21), rows);
    EXPECT_EQ(rows, (std::vector<size_t>{0, 4}));
    EXPECT_EQ(nightOfStay(list, 0, QDate(2014, 3, 21)), 1);
    collectDayRows(list, QDate(2014, 3, 22), rows);
    EXPECT_EQ(rows, std::vector<size_t>{1});
    EXPECT_EQ(nightOfStay(list, 1, QDate(2014, 3, 22)), 2);
    EXPECT_EQ(rsvListCells(list[1], nightOfStay(list, 1, QDate(2014, 3, 22)))[RsvColStayx], QStringLiteral("2"));
}

TEST(ReservationList, NightCountsOnAcrossTheMonthEnd)
{
    TReserveData a = rec(9, "2014/03/31"), b = rec(9, "2014/04/01"), c = rec(9, "2014/04/02");
    a.Stay = b.Stay = c.Stay = 3;
    a.Stayx = 1;
    b.Stayx = c.Stayx = 1;
    const ReserveRecords list({a, b, c});
    EXPECT_EQ(nightOfStay(list, 2, QDate(2014, 4, 2)), 3);
    // A stay fetched with its nights numbered keeps them.
    TReserveData f1 = rec(10, "2014/03/21"), f2 = rec(10, "2014/03/22");
    f1.Stay = f2.Stay = 2;
    f1.Stayx = 1;
    f2.Stayx = 2;
    const ReserveRecords fetched({f1, f2});
    EXPECT_EQ(nightOfStay(fetched, 1, QDate(2014, 3, 22)), 2);
}

TEST(ReservationList, RowTextsComeFromTheFirstRecordOfTheRow)
{
    TReserveData r = rec(1395370001, "2014/03/21", "松の間", 12000, 2);
    setFieldText(r.Seisan, QStringLiteral("2014/03/22"));
    setFieldText(r.Regday, QStringLiteral("a000000057"));
    setFieldText(r.Name, QStringLiteral("山田太郎"));
    setFieldText(r.Plan, QStringLiteral("一泊二食付"));
    r.Stay = 2;
    r.Stayx = 1;
    EXPECT_EQ(rsvListCells(r), (QStringList{"2014/03/22", "1395370001", "a000000057", "山田太郎", "一泊二食付",
                                            "松の間", "2", "1", "24000"}));
    // Amounts beyond 32 bits are shown as they are, not wrapped.
    r.Tanka = 2000000000;
    r.Suryou = 3;
    EXPECT_EQ(rsvListCells(r)[RsvColAmount], QStringLiteral("6000000000"));
}

TEST(ReservationList, NewBillTakesTheNextNumberAndTheRecordCount)
{
    AppData data;
    data.ReserveList.edit().resize(57);
    data.NextMeiNo = 1395370000;
    EXPECT_EQ(createBill(data, QDate(2014, 3, 21)), 1395370000u);
    ASSERT_EQ(data.ReserveList.size(), 58u);
    const TReserveData &r = data.ReserveList.back();
    EXPECT_EQ(r.MeiNo, 1395370000u);
    EXPECT_EQ(fieldText(r.Regday), QStringLiteral("a000000057"));
    EXPECT_EQ(fieldText(r.Rsvday), QStringLiteral("2014/03/21"));
    EXPECT_EQ(r.Stay, 1);
    EXPECT_EQ(r.Stayx, 1);
    EXPECT_EQ(r.Kubun, 1601001u);
    EXPECT_EQ(r.Tanka, 0);
    EXPECT_EQ(r.Suryou, 0);
    EXPECT_EQ(fieldText(r.Name), QString());
    EXPECT_EQ(createBill(data, QDate(2014, 3, 21)), 1395370001u);
    EXPECT_EQ(fieldText(data.ReserveList.back().Regday), QStringLiteral("a000000058"));
    EXPECT_EQ(data.NextMeiNo, 1395370002u);
}

TEST(ReservationList, HandMadeNumbersNeverRepeatAfterADeletion)
{
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;
    data.ExePath = dir.path() + QLatin1Char('/');
    data.NextMeiNo = 1000;
    // Two lines of a fetched bill, then two bills made by hand.
    data.ReserveList = listOf({rec(5, "2014/03/21"), rec(5, "2014/03/21", "102")});
    createBill(data, QDate(2014, 3, 21));
    createBill(data, QDate(2014, 3, 21));
    EXPECT_EQ(fieldText(data.ReserveList[3].Regday), QStringLiteral("a000000003"));
    // The fetched bill goes: the list is two lines shorter than when a000000003 was handed out.
    ASSERT_TRUE(deleteBill(data, lib, 5).deleted);
    createBill(data, QDate(2014, 3, 21));
    QStringList numbers;
    for (const TReserveData &r : data.ReserveList)
        numbers << fieldText(r.Regday);
    EXPECT_EQ(numbers, (QStringList{"a000000002", "a000000003", "a000000004"}));
}

TEST(ReservationList, ABillMadeOrSplitOffIsOnDiskAtOnce)
{
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;
    data.ExePath = dir.path() + QLatin1Char('/');
    data.NextMeiNo = 900;
    data.ReserveList = listOf({rec(5, "2014/03/21", "101"), rec(5, "2014/03/21", "102")});
    createBill(data, QDate(2014, 3, 21));
    EXPECT_EQ(storeBillLists(data, lib), QString());
    EXPECT_EQ(fileBytes(data.filePath("reserve.dat")), listBytes(data.ReserveList));
    ASSERT_EQ(splitRoom(data, 5, "102"), 901u);
    EXPECT_EQ(storeBillLists(data, lib), QString());
    EXPECT_EQ(fileBytes(data.filePath("reserve.dat")), listBytes(data.ReserveList));
    EXPECT_EQ(fileBytes(data.filePath("urikake.dat")), QByteArray());

    // A write that fails says so, and what it would have written stays in the list.
    lib.RefuseWrites(QStringLiteral("書き込めません"));
    createBill(data, QDate(2014, 3, 21));
    const QString error = storeBillLists(data, lib);
    EXPECT_TRUE(error.contains(QStringLiteral("一覧に残っています"))) << error.toStdString();
    EXPECT_EQ(data.ReserveList.size(), 4u);
}

TEST(ReservationList, SplitMovesOneRoomOnEveryDate)
{
    AppData data;
    data.NextMeiNo = 900;
    data.ReserveList = listOf({rec(5, "2014/03/21", "101"), rec(5, "2014/03/21", "102"), rec(6, "2014/03/21", "102"),
                               rec(5, "2014/03/22", "102"), rec(5, "2014/03/22", "101")});
    EXPECT_EQ(splitRoom(data, 5, "102"), 900u);
    std::vector<uint32_t> numbers;
    for (const auto &r : data.ReserveList)
        numbers.push_back(r.MeiNo);
    EXPECT_EQ(numbers, (std::vector<uint32_t>{5, 900, 6, 900, 5}));
    EXPECT_EQ(data.NextMeiNo, 901u);
    // A room the bill no longer has changes nothing and hands out no number.
    EXPECT_EQ(splitRoom(data, 5, "102"), 0u);
    EXPECT_EQ(data.NextMeiNo, 901u);
}

class DeleteBill : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        data.ExePath = dir.path() + QLatin1Char('/');
        data.ReserveList = listOf({rec(5, "2014/03/21", "101"), rec(6, "2014/03/21"), rec(5, "2014/03/22", "102"),
                                   rec(7, "2014/03/21")});
        for (uint32_t n : {6u, 5u, 7u, 5u}) {
            TUrikakeData u{};
            u.MeiNo = n;
            u.Goukei = int32_t(n * 100);
            data.UrikakeList.push_back(u);
        }
        ASSERT_TRUE(saveReserveList(data, lib, nullptr));
        ASSERT_TRUE(saveUrikakeList(data, lib, nullptr));
    }
};

TEST_F(DeleteBill, RemovesEveryLineAndTheFirstReceivable)
{
    const DeleteResult result = deleteBill(data, lib, 5);
    EXPECT_TRUE(result.deleted);
    EXPECT_EQ(result.error, QString());
    ASSERT_EQ(data.ReserveList.size(), 2u);
    EXPECT_EQ(data.ReserveList[0].MeiNo, 6u);
    EXPECT_EQ(data.ReserveList[1].MeiNo, 7u);
    std::vector<uint32_t> receivables;
    for (const auto &u : data.UrikakeList)
        receivables.push_back(u.MeiNo);
    EXPECT_EQ(receivables, (std::vector<uint32_t>{6, 7, 5}));
    EXPECT_EQ(fileBytes(data.filePath("reserve.dat")), listBytes(data.ReserveList));
    EXPECT_EQ(fileBytes(data.filePath("urikake.dat")), listBytes(data.UrikakeList));
}

TEST_F(DeleteBill, FailedWriteLeavesListsAndFilesAsTheyWere)
{
    const QByteArray reserveBefore = listBytes(data.ReserveList);
    const QByteArray urikakeBefore = listBytes(data.UrikakeList);
    // urikake.dat cannot be replaced: a folder of that name stands in its way.
    QFile::remove(data.filePath("urikake.dat"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("urikake.dat/x")));
    DeleteResult result = deleteBill(data, lib, 5);
    EXPECT_FALSE(result.deleted);
    EXPECT_NE(result.error, QString());
    EXPECT_EQ(listBytes(data.ReserveList), reserveBefore);
    EXPECT_EQ(listBytes(data.UrikakeList), urikakeBefore);
    EXPECT_EQ(fileBytes(data.filePath("reserve.dat")), reserveBefore);

    TLibrary refusing;
    refusing.RefuseWrites(QStringLiteral("no"));
    result = deleteBill(data, refusing, 5);
    EXPECT_FALSE(result.deleted);
    EXPECT_NE(result.error, QString());
    EXPECT_EQ(listBytes(data.ReserveList), reserveBefore);
}
