// Finding bills: the one spelling of a name, the filters against a fixture
// counted by hand, the bill index against a plain look through the lines
// after every kind of change, --find's file, and a guest's earlier bills.

#include "search/bill_search.h"
#include "search/search_fixture.h"
#include "storage/name_key.h"
#include "storage/reserve_records.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

namespace {

std::vector<uint32_t> numbers(const std::vector<BillEntry> &bills)
{
    std::vector<uint32_t> out;
    for (const BillEntry &b : bills)
        out.push_back(b.MeiNo);
    return out;
}

QDate day(const char *text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd")); }

} // namespace

TEST(NameKey, OneSpellingHoweverTyped)
{
    struct Case {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"やまだ", "ヤマダ", true},            // hiragana and katakana
        {"ﾔﾏﾀﾞ", "ヤマダ", true},              // half-width katakana, voiced mark joined
        {"ﾊﾟｰｸ", "パーク", true},              // half-width semi-voiced mark and long vowel
        {"ガイド", "カイト", false},           // a voiced mark is part of the letter
        {"ＡＢＣ", "abc", true},               // full-width Latin and case
        {"Müller", "muller", true},            // accents
        {"JOSÉ", "jose", true},
        {"山田　太郎", "山田太郎", true},      // ideographic space
        {" 山田 太郎 ", "山田太郎", true},
        {"１２３", "123", true},               // full-width digits
        {"山田", "山口", false},
        {"ゞ", "ヾ", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(nameKey(QString::fromUtf8(c.a)) == nameKey(QString::fromUtf8(c.b)), c.same);
    }
    EXPECT_EQ(nameKey(QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ")), QStringLiteral("ヤマダタロウ"));
}

class BillSearch : public ::testing::Test {
protected:
    void SetUp() override { search_fixture::fill(data); }
    AppData data;
    const ReceiptCounts receipts{search_fixture::receipts()};
};

TEST_F(BillSearch, NamesInAnySpelling)
{
    struct Case {
        const char *text;
        std::vector<uint32_t> bills;
    } cases[] = {
        {"山田", {1001}},
        {"ヤマダタロウ", {1002, 1003}},
        {"やまだ", {1002, 1003}},
        {"ﾔﾏﾀﾞ", {1002, 1003}},
        {"たろう", {1002, 1003}},
        {"yamada", {}},
        {"muller", {1004, 1005}},
        {"Müller", {1004, 1005}},
        {"MÜLLER HANS", {1004, 1005}},
        {"abc", {1007, 1006}},
        {"ＡＢＣ　商事", {1007, 1006}},
        {"ｶﾞｲﾄﾞ", {1008}},
        {"カイト", {}},
        {"josé garcía", {1009}},
        {"", {1007, 1002, 1003, 1008, 1009, 1001, 1006, 1004, 1005}},
        {"　 ", {1007, 1002, 1003, 1008, 1009, 1001, 1006, 1004, 1005}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        BillQuery q;
        q.text = QString::fromUtf8(c.text);
        EXPECT_EQ(numbers(findBills(data, q)), c.bills);
    }
}

TEST_F(BillSearch, Filters)
{
    struct Case {
        const char *name;
        std::function<void(BillQuery &)> set;
        std::vector<uint32_t> bills;
    } cases[] = {
        {"bill number", [](BillQuery &q) { q.meiNo = 1004; }, {1004}},
        {"room, also a bill's second room", [](BillQuery &q) { q.room = QStringLiteral("松"); }, {1003, 1001, 1006}},
        {"room in another width", [](BillQuery &q) { q.room = QStringLiteral("suite"); }, {1005}},
        {"a night on the day", [](BillQuery &q) { q.stayFrom = q.stayTo = day("2026/08/09"); }, {1001, 1006}},
        {"nights from a day on", [](BillQuery &q) { q.stayFrom = day("2026/08/10"); }, {1004, 1005}},
        {"nights up to a day", [](BillQuery &q) { q.stayTo = day("2025/12/31"); }, {1007, 1002}},
        {"the last night counts", [](BillQuery &q) { q.stayFrom = q.stayTo = day("2026/08/21"); }, {1004}},
        {"settled on a day", [](BillQuery &q) { q.settledFrom = q.settledTo = day("2026/08/10"); }, {1001, 1006}},
        {"settled in a range", [](BillQuery &q) {
             q.settledFrom = day("2026/01/01");
             q.settledTo = day("2026/03/31");
         }, {1003, 1009}},
        {"total at least", [](BillQuery &q) { q.minTotal = 20000; }, {1003, 1001, 1006, 1004}},
        {"total at most", [](BillQuery &q) { q.maxTotal = 9000; }, {1007, 1008, 1009, 1005}},
        {"total between", [](BillQuery &q) {
             q.minTotal = 12000;
             q.maxTotal = 24000;
         }, {1002, 1003, 1006}},
        {"card company", [](BillQuery &q) { q.card = 101001; }, {1003, 1006}},
        {"open", [](BillQuery &q) { q.settled = SettledFilter::Open; }, {1002, 1008, 1005}},
        {"settled", [](BillQuery &q) { q.settled = SettledFilter::Settled; }, {1007, 1003, 1009, 1001, 1006, 1004}},
        {"name and card", [](BillQuery &q) {
             q.text = QStringLiteral("abc");
             q.card = 101001;
         }, {1006}},
        {"name and settled", [](BillQuery &q) {
             q.text = QStringLiteral("やまだ");
             q.settled = SettledFilter::Settled;
         }, {1003}},
        {"receipt issued", [](BillQuery &q) { q.receipts = ReceiptFilter::Issued; }, {1003, 1001}},
        {"no receipt yet", [](BillQuery &q) { q.receipts = ReceiptFilter::NotIssued; }, {1007, 1002, 1008, 1009, 1006, 1004, 1005}},
        {"settled without a receipt", [](BillQuery &q) {
             q.receipts = ReceiptFilter::NotIssued;
             q.settled = SettledFilter::Settled;
         }, {1007, 1009, 1006, 1004}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BillQuery q;
        c.set(q);
        EXPECT_EQ(numbers(findBills(data, q, receipts)), c.bills);
    }
}

TEST_F(BillSearch, RowsAndFile)
{
    BillQuery q;
    q.meiNo = 1001;
    const std::vector<BillEntry> found = findBills(data, q, receipts);
    ASSERT_EQ(found.size(), 1u);
    const BillIndex &index = data.ReserveList.bills();
    EXPECT_EQ(billSearchCells(index, found[0], receipts),
              (QStringList{"1001", "2026/08/08", "2", "山田 太郎", "一泊二食", "松の間", "61800", "2026/08/10", "2"}));
    const QByteArray csv = billSearchCsv(index, found, receipts);
    EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBF") + QStringLiteral("請求番号,初日,泊数,名前,プラン名,部屋,合計,清算日,領収書\r\n"
                                                               "1001,2026/08/08,2,山田 太郎,一泊二食,松の間,61800,2026/08/10,2\r\n")
                                                    .toUtf8());
    EXPECT_EQ(receipts.of(1003), 1);
    EXPECT_EQ(receipts.of(1002), 0);
    EXPECT_EQ(cardCompanies(data), (std::vector<std::pair<uint32_t, QString>>{{101001, "VISA"}, {101002, "JCB"}}));
}

TEST_F(BillSearch, AGuestsEarlierBills)
{
    const std::vector<BillEntry> earlier = guestBills(data, QStringLiteral("ヤマダ タロウ"), 0);
    EXPECT_EQ(numbers(earlier), (std::vector<uint32_t>{1002, 1003}));
    EXPECT_EQ(guestHistoryText(data.ReserveList.bills(), earlier), QStringLiteral("過去のご利用 2回 最終 2026/01/05 松の間"));
    // The bill being written is not one of its own earlier bills; a part of a name is no match.
    EXPECT_EQ(numbers(guestBills(data, QStringLiteral("やまだたろう"), 1003)), (std::vector<uint32_t>{1002}));
    EXPECT_TRUE(guestBills(data, QStringLiteral("やまだ"), 0).empty());
    EXPECT_TRUE(guestHistoryText(data.ReserveList.bills(), {}).isEmpty());
}

TEST_F(BillSearch, FindFromTheCommandLineWritesTheWindowsRows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const char *name, const void *bytes, std::size_t size) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(static_cast<const char *>(bytes), qint64(size));
    };
    write("reserve.dat", data.ReserveList.data(), data.ReserveList.size() * sizeof(TReserveData));
    write("urikake.dat", data.UrikakeList.data(), data.UrikakeList.size() * sizeof(TUrikakeData));
    const QByteArray issued = search_fixture::receiptsFile();
    write("receipts.dat", issued.constData(), std::size_t(issued.size()));

    BillQuery q;
    q.text = QStringLiteral("やまだ");
    q.stayFrom = day("2026/01/01");
    q.stayTo = day("2026/12/31");
    const QByteArray expected = billSearchCsv(data.ReserveList.bills(), findBills(data, q, receipts), receipts);
    const QString out = dir.filePath(QStringLiteral("found.csv"));
    QString message;
    QByteArray printed;
    ASSERT_EQ(runFind({"--find", "ﾔﾏﾀﾞ", "--from", "2026-01-01", "--to=2026/12/31", "--out", out}, dir.path(), &printed,
                      &message),
              0)
        << message.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), expected);
    EXPECT_TRUE(expected.contains(QStringLiteral("1003,2026/01/05,1,やまだ たろう,一泊二食,松の間,24000,2026/01/06,1\r\n").toUtf8()));
    EXPECT_FALSE(expected.contains("1002,"));

    // Without --out the rows are printed.
    ASSERT_EQ(runFind({"--find=ﾔﾏﾀﾞ", "--from", "2026-01-01", "--to", "2026-12-31"}, dir.path(), &printed, &message), 0);
    EXPECT_EQ(printed, expected);

    struct Bad {
        QStringList args;
        const char *says;
    } bad[] = {
        {{"--find"}, "--find の値がありません"},
        {{"--find", "x", "--from", "2026-13-01"}, "日付「2026-13-01」"},
        {{"--find", "x", "--from", "2026-02-01", "--to", "2026-01-01"}, "--from の日付が --to の日付より後です"},
        {{"--find", "x", "--month", "2026-01"}, "知らない引数「--month」"},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.says);
        EXPECT_EQ(runFind(b.args, dir.path(), &printed, &message), 2);
        EXPECT_TRUE(message.contains(QString::fromUtf8(b.says))) << message.toStdString();
    }
}

namespace {

// A bill as a plain look through the lines sees it.
struct Plain {
    std::set<QString> names, rooms;
    QString name, plan, room;
    uint32_t firstLine = 0, firstNight = 0, lastNight = 0, settled = 0;
    int64_t total = 0;
    int nights = 0;
    bool operator==(const Plain &) const = default;
};

std::map<uint32_t, Plain> plainBills(const ReserveRecords &list)
{
    std::map<uint32_t, Plain> out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TReserveData &r = list[i];
        const bool first = !out.count(r.MeiNo);
        Plain &p = out[r.MeiNo];
        if (first) {
            p.name = fieldText(r.Name);
            p.plan = fieldText(r.Plan);
            p.room = fieldText(r.Room);
            p.firstLine = uint32_t(i);
            p.settled = packedDate(day(r.Seisan));
            p.nights = r.Stay;
        }
        p.names.insert(fieldText(r.Name));
        p.rooms.insert(fieldText(r.Room));
        if (const uint32_t n = packedDate(day(r.Rsvday))) {
            p.firstNight = p.firstNight ? std::min(p.firstNight, n) : n;
            p.lastNight = std::max(p.lastNight, n);
        }
        if (billLineCounts(r.Kubun))
            p.total += int64_t(r.Tanka) * r.Suryou;
    }
    return out;
}

// The same from the index, the bills in its listed order.
std::map<uint32_t, Plain> indexedBills(const BillIndex &index, std::vector<uint32_t> *listed)
{
    std::map<uint32_t, Plain> out;
    for (const uint32_t e : index.order()) {
        const BillEntry &b = index.entries()[e];
        listed->push_back(b.MeiNo);
        Plain &p = out[b.MeiNo];
        p.name = index.names().text(b.name);
        p.plan = index.plans().text(b.plan);
        p.room = index.rooms().text(b.room);
        p.names.insert(p.name);
        p.rooms.insert(p.room);
        p.firstLine = b.firstLine;
        p.firstNight = b.firstNight;
        p.lastNight = b.lastNight;
        p.settled = b.settled;
        p.total = b.total;
        p.nights = b.nights;
    }
    for (const auto &[e, id] : index.otherNames())
        out[index.entries()[e].MeiNo].names.insert(index.names().text(id));
    for (const auto &[e, id] : index.otherRooms())
        out[index.entries()[e].MeiNo].rooms.insert(index.rooms().text(id));
    return out;
}

} // namespace

TEST_F(BillSearch, TheIndexFollowsEveryChange)
{
    std::mt19937 rng(20260810);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char *names[] = {"山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "Muller", "ガイド", "ＡＢＣ商事"};
    const char *rooms[] = {"松の間", "竹の間", "梅の間"};
    const char *nights[] = {"2026/08/08", "2026/08/09", "2025/01/31", "", "2026/13/01"};
    uint32_t next = 2000;
    const auto randomLine = [&](uint32_t meiNo) {
        return search_fixture::line(meiNo, names[pick(5)], rooms[pick(3)], nights[pick(5)], 1 + pick(3),
                                    pick(2) ? "2026/08/10" : "", pick(4) ? 1601001 : 1105001, 1000 * pick(20), 1 + pick(3));
    };
    ReserveRecords saved = data.ReserveList;
    std::vector<std::string> steps;
    for (int step = 0; step < 400; ++step) {
        ReserveRecords &list = data.ReserveList;
        switch (pick(8)) {
        case 0: // a new bill, or a fetch: lines added at the end
            for (int n = 1 + pick(3), no = int(next++); n > 0; --n)
                list.push_back(randomLine(uint32_t(no)));
            steps.push_back("new bill");
            break;
        case 1: // a line added at the end to a bill already there
            if (!list.empty()) {
                list.push_back(randomLine(list[std::size_t(pick(int(list.size())))].MeiNo));
                steps.push_back("line of a bill");
            }
            break;
        case 2: // a save: the bill's lines changed in place
            if (!list.empty()) {
                const TReserveData r = randomLine(list[std::size_t(pick(int(list.size())))].MeiNo);
                list.edit()[std::size_t(pick(int(list.size())))] = r;
                steps.push_back("save");
            }
            break;
        case 3: // a room split off into a bill of its own
            if (!list.empty()) {
                const TReserveData &r = list[std::size_t(pick(int(list.size())))];
                const uint32_t from = r.MeiNo;
                const QByteArray room = fieldBytes(r.Room);
                const uint32_t to = next++;
                for (TReserveData &l : list.edit())
                    if (l.MeiNo == from && fieldBytes(l.Room) == room)
                        l.MeiNo = to;
                steps.push_back("split");
            }
            break;
        case 4: // a bill deleted
            if (!list.empty()) {
                const uint32_t no = list[std::size_t(pick(int(list.size())))].MeiNo;
                auto &lines = list.edit();
                lines.erase(std::remove_if(lines.begin(), lines.end(), [&](const TReserveData &l) { return l.MeiNo == no; }),
                            lines.end());
                steps.push_back("delete");
            }
            break;
        case 5: // a restore: the lines of another day put back whole
            list = saved;
            steps.push_back("restore");
            break;
        case 6:
            saved = list;
            steps.push_back("copy kept");
            break;
        default: // a question to the index between changes
            (void)list.bills();
            steps.push_back("asked");
            break;
        }
        SCOPED_TRACE(steps.back() + " at step " + std::to_string(step));
        std::vector<uint32_t> listed;
        const std::map<uint32_t, Plain> indexed = indexedBills(list.bills(), &listed);
        const std::map<uint32_t, Plain> plain = plainBills(list);
        ASSERT_EQ(indexed, plain);
        // Listed by first night, then number, every bill once.
        std::vector<std::pair<uint32_t, uint32_t>> expected;
        for (const auto &[no, p] : plain)
            expected.emplace_back(p.firstNight, no);
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(listed.size(), expected.size());
        for (std::size_t i = 0; i < listed.size(); ++i)
            ASSERT_EQ(listed[i], expected[i].second);
        for (const auto &[no, p] : plain)
            ASSERT_GE(list.bills().find(no), 0);
    }
}
