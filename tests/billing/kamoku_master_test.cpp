// The item master's rules: rows written into entries, the name checks,
// insert and delete, renumbering, and the drag text a bill receives; the
// master as saved and read again, in the record files and in a database.

#include "bill_fixtures.h"
#include "billing/kamoku_master.h"
#include "storage/library.h"
#include "storage/store_kinds.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The default item master as a start after the first save loads it.
KamokuLists loaded()
{
    KamokuLists k = defaultKamoku();
    for (auto &list : k)
        list.resize(list.size() + BlankKamokuEntries, THojoKamoku{});
    return k;
}

QString name(const THojoKamoku &k) { return fieldText(k.Tekiyo); }

TEST(KamokuRows, EachTabWritesItsCategoryCodeAndNumber)
{
    const struct {
        int tab, category;
        uint32_t code, number; // for grid row 2
    } cases[] = {
        {0, 0, 1601, 2}, {1, 1, 1601, 102}, {2, 2, 1601, 802}, {3, 4, 1106, 2},
        {4, 3, 1602, 2}, {5, 6, 101, 2},    {6, 7, 102, 2},    {7, 8, 1105, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tab);
        KamokuLists k = loaded();
        EXPECT_TRUE(setKamokuRow(k, c.tab, 2, QStringLiteral("名前"), QStringLiteral("1200"),
                                 QStringLiteral("Name"))
                        .isEmpty());
        const THojoKamoku &e = k[size_t(c.category)][1];
        EXPECT_EQ(e.KamokuCode, c.code);
        EXPECT_EQ(e.HojoCode, c.number);
        EXPECT_EQ(name(e), QStringLiteral("名前"));
        EXPECT_EQ(fieldText(e.ETekiyo), QStringLiteral("Name"));
        EXPECT_EQ(e.Tanka, 1200);
    }
}

TEST(KamokuRows, OnlyDiscountsTakeANegativePrice)
{
    const QString notNegative =
        QStringLiteral("単価は0円から2,147,483,647円までの整数で入力してください\n（マイナスの単価は値引きの項目だけに使えます）");
    const struct {
        const char *what;
        int tab;
        const char *price;
        QString refusal;
    } cases[] = {
        {"accommodation -500", 0, "-500", notNegative},
        {"options, a lone minus", 1, "-", notNegative},
        {"coupon -1", 6, "-1", notNegative},
        {"accommodation 0", 0, "0", {}},
        {"discount -500", 4, "-500", {}},
        {"discount past the range", 4, "-2147483649",
         QStringLiteral("単価は-2,147,483,648円から2,147,483,647円までの整数で入力してください")},
        {"day use past the range", 2, "2147483648", notNegative},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        KamokuLists k = loaded();
        const KamokuLists before = k;
        EXPECT_EQ(setKamokuRow(k, c.tab, 2, QStringLiteral("名前"), QString::fromUtf8(c.price), {}), c.refusal);
        if (!c.refusal.isEmpty())
            EXPECT_EQ(k[size_t(kamokuTab(c.tab).category)][1].Tanka, before[size_t(kamokuTab(c.tab).category)][1].Tanka);
    }
}

TEST(KamokuRows, ARowBelowTheListGetsBlankEntriesUpToIt)
{
    KamokuLists k = defaultKamoku(); // seeded: no blank entries behind the 6 options
    ASSERT_EQ(k[1].size(), 6u);
    EXPECT_TRUE(setKamokuRow(k, 1, 60, QStringLiteral("地ビール"), QString(), QString()).isEmpty());
    ASSERT_EQ(k[1].size(), 60u);
    EXPECT_EQ(k[1][59].HojoCode, 160u);
    EXPECT_EQ(k[1][59].Tanka, 0); // empty price reads 0
    EXPECT_EQ(name(k[1][58]), QString());
    EXPECT_EQ(name(k[1][5]), QStringLiteral("その他オプション"));

    // After renumbering the blanks before it carry their positions.
    renumberKamoku(k);
    EXPECT_EQ(k[1][6].KamokuCode, 1601u);
    EXPECT_EQ(k[1][6].HojoCode, 107u);
    EXPECT_EQ(k[1][59].HojoCode, 160u);
}

TEST(KamokuRows, NamesAreCheckedAndNothingIsStoredWhenRefused)
{
    const QString twenty = QString(20, QChar(0x3042)); // 40 bytes
    const struct {
        const char *what;
        QString name, english, message;
    } cases[] = {
        {"41 bytes", twenty + QLatin1Char('x'), {}, KamokuNameTooLong},
        {"36 bytes: over the field", QString(18, QChar(0x3042)), {},
         QStringLiteral("摘要は全角17文字（半角35文字）以内で入力してください")},
        {"English 36 bytes", {}, QString(36, QLatin1Char('e')),
         QStringLiteral("英語摘要は全角17文字（半角35文字）以内で入力してください")},
        {"not in CP932", QStringLiteral("ビール🍺"), {},
         QStringLiteral("摘要に保存できない文字があります：「🍺」\nこの文字は使えません。別の文字で入力してください")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        KamokuLists k = loaded();
        const KamokuLists before = k;
        EXPECT_EQ(setKamokuRow(k, 1, 2, c.name, QStringLiteral("5"), c.english), c.message);
        EXPECT_EQ(listBytes(k[1]), listBytes(before[1]));
    }
    KamokuLists k = loaded();
    EXPECT_TRUE(setKamokuRow(k, 1, 2, QString(17, QChar(0x3042)) + QLatin1Char('x'), {},
                             QString(35, QLatin1Char('e')))
                    .isEmpty()); // exactly 35 bytes each
    EXPECT_EQ(kamokuCellRefusal(1, twenty), QStringLiteral("摘要は全角17文字（半角35文字）以内で入力してください"));
}

TEST(KamokuRows, InsertAndDeleteShiftTheEntriesAndSpareTheReservedRows)
{
    KamokuLists k = loaded();
    insertKamokuEntry(k, 1, 3);
    renumberKamoku(k);
    ASSERT_EQ(k[1].size(), 57u);
    EXPECT_EQ(name(k[1][2]), QString());
    EXPECT_EQ(name(k[1][3]), QStringLiteral("日本酒(1合)")); // the former third option
    EXPECT_EQ(itemKey(k[1][3]), 1601104u);

    deleteKamokuEntry(k, 1, 3);
    deleteKamokuEntry(k, 1, 3); // the third option goes: the fifth becomes 104
    renumberKamoku(k);
    EXPECT_EQ(name(k[1][3]), QStringLiteral("ジュース"));
    EXPECT_EQ(itemKey(k[1][3]), 1601104u);

    for (int row : {1, 11}) {
        EXPECT_TRUE(kamokuRowReserved(0, row));
        const KamokuLists before = k;
        insertKamokuEntry(k, 0, row);
        deleteKamokuEntry(k, 0, row);
        EXPECT_EQ(listBytes(k[0]), listBytes(before[0]));
    }
    EXPECT_FALSE(kamokuRowReserved(0, 12));
    EXPECT_FALSE(kamokuRowReserved(1, 1));

    // Rows with no entry behind them, and the heading row, change nothing.
    const size_t n = k[3].size();
    for (int row : {0, int(n) + 1, 500}) {
        insertKamokuEntry(k, 4, row);
        deleteKamokuEntry(k, 4, row);
    }
    EXPECT_EQ(k[3].size(), n);
}

TEST(KamokuRoom, NoCategoryOutgrowsItsKeys)
{
    // tab, category, room, first key: options end at 1601800, day use at 1601989.
    const struct {
        int tab, category, room;
        uint32_t firstKey;
    } cases[] = {{0, 0, 100, 1601001}, {1, 1, 700, 1601101}, {2, 2, 189, 1601801}, {4, 3, 999, 1602001}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tab);
        EXPECT_EQ(kamokuCapacity(c.category), c.room);
        KamokuLists k = loaded();
        // The last row of the category takes the last key; the row after it is refused.
        EXPECT_EQ(setKamokuRow(k, c.tab, c.room, QStringLiteral("最後"), QString(), QString()), QString());
        const QString full = setKamokuRow(k, c.tab, c.room + 1, QStringLiteral("溢れ"), QString(), QString());
        EXPECT_TRUE(full.contains(QString::number(c.room))) << full.toStdString();
        EXPECT_TRUE(full.contains(QString::number(c.firstKey + uint32_t(c.room) - 1))) << full.toStdString();
        ASSERT_EQ(k[size_t(c.category)].size(), size_t(c.room));
        // Full: an insertion is refused and nothing moves.
        for (auto &e : k[size_t(c.category)])
            if (fieldText(e.Tekiyo).isEmpty())
                setFieldText(e.Tekiyo, QStringLiteral("品"));
        EXPECT_TRUE(kamokuTabFull(k, c.tab));
        const RecordList<THojoKamoku> before = k[size_t(c.category)];
        EXPECT_EQ(insertKamokuEntry(k, c.tab, 20), kamokuFullMessage(c.tab));
        EXPECT_EQ(listBytes(k[size_t(c.category)]), listBytes(before));
        renumberKamoku(k);
        EXPECT_EQ(itemKey(k[size_t(c.category)].back()), c.firstKey + uint32_t(c.room) - 1);
    }
    // Room at the end: an insertion drops a blank entry there instead of growing past the keys.
    KamokuLists k = loaded();
    setKamokuRow(k, 0, 99, QStringLiteral("九十九"), QString(), QString());
    k[0].resize(100, THojoKamoku{});
    EXPECT_EQ(insertKamokuEntry(k, 0, 20), QString());
    EXPECT_EQ(k[0].size(), 100u);
    EXPECT_EQ(name(k[0][99]), QStringLiteral("九十九"));
}

TEST(KamokuRenumber, KeysInUseByStoredLinesAreCountedBeforeTheyMove)
{
    KamokuLists k = loaded(); // 6 options: 1601101 to 1601106
    RecordList<TReserveData> lines;
    auto add = [&](uint32_t bill, uint32_t key) {
        TReserveData r{};
        r.MeiNo = bill;
        r.Kubun = key;
        lines.push_back(r);
    };
    add(1, 1601102); // before row 3: stays
    add(1, 1601103);
    add(2, 1601103);
    add(2, 1601106);
    add(3, 1601001); // another category
    add(4, 1601990);
    const ReserveRecords stored(lines);
    const KamokuKeyUse use = kamokuKeysMovedInUse(k, stored, 1, 3);
    EXPECT_EQ(use.lines, 3);
    EXPECT_EQ(use.bills, 2);
    const QString question = kamokuRenumberQuestion(use, true);
    EXPECT_TRUE(question.contains(QStringLiteral("3 行"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("請求書 2 件")));
    // Past the last key in use nothing stored moves.
    EXPECT_EQ(kamokuKeysMovedInUse(k, stored, 1, 7).lines, 0);
    // Day use: the service line 1601990 is no day-use key.
    EXPECT_EQ(kamokuKeysMovedInUse(k, stored, 2, 1).lines, 0);
}

// The 軽減税率 mark lives in the record's once-unused byte: it moves with its
// entry through insertions and the renumbering on save, the bills take the
// new key's rate, and each record keeps its 88 bytes.
TEST(KamokuReducedRate, MarkFollowsItsEntryThroughRenumbering)
{
    KamokuLists k = loaded();
    EXPECT_TRUE(setKamokuRowReduced(k, 1, 5, true)); // ジュース, 1601105
    EXPECT_TRUE(kamokuRowReduced(k, 1, 5));
    EXPECT_FALSE(setKamokuRowReduced(k, 1, 40, true)); // a blank entry
    EXPECT_FALSE(setKamokuRowReduced(k, 3, 1, true));  // advances carry no consumption tax
    EXPECT_FALSE(kamokuTabHasReducedRate(5));
    EXPECT_TRUE(kamokuTabHasReducedRate(0) && kamokuTabHasReducedRate(2));
    EXPECT_EQ(reducedRateKeys(k), (std::vector<uint32_t>{1601105}));

    insertKamokuEntry(k, 1, 2);
    renumberKamoku(k);
    EXPECT_EQ(name(k[1][5]), QStringLiteral("ジュース"));
    EXPECT_TRUE(kamokuRowReduced(k, 1, 6));
    EXPECT_FALSE(kamokuRowReduced(k, 1, 5));
    EXPECT_EQ(reducedRateKeys(k), (std::vector<uint32_t>{1601106}));
    EXPECT_EQ(k[1][5].Keigen, 1);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&k[1][5]), sizeof(THojoKamoku)).at(84), 1);
    static_assert(sizeof(THojoKamoku) == 88);

    // Typing over the row keeps the mark; unmarking clears the byte.
    EXPECT_TRUE(setKamokuRow(k, 1, 6, QStringLiteral("地サイダー"), QStringLiteral("300"), QStringLiteral("Cider")).isEmpty());
    EXPECT_TRUE(kamokuRowReduced(k, 1, 6));
    EXPECT_TRUE(setKamokuRowReduced(k, 1, 6, false));
    EXPECT_EQ(k[1][5].Keigen, 0);
    EXPECT_TRUE(reducedRateKeys(k).empty());
}

TEST(KamokuRenumber, EveryCategoryButTheOtherEntriesGetsPositions)
{
    KamokuLists k = loaded();
    for (auto &list : k)
        for (auto &e : list)
            e.HojoCode = 999, e.KamokuCode = 7;
    k[5][0].KamokuCode = 1601, k[5][0].HojoCode = 990;
    renumberKamoku(k);
    const uint32_t firstKeys[] = {1601001, 1601101, 1601801, 1602001, 1106001, 0, 101001, 102001, 1105001};
    for (int c = 0; c < KamokuCategories; ++c) {
        SCOPED_TRACE(c);
        if (c == 5) {
            EXPECT_EQ(itemKey(k[5][0]), 1601990u);
            EXPECT_EQ(itemKey(k[5][1]), 7999u);
            continue;
        }
        EXPECT_EQ(itemKey(k[size_t(c)][0]), firstKeys[c]);
        EXPECT_EQ(itemKey(k[size_t(c)].back()), firstKeys[c] + k[size_t(c)].size() - 1);
    }
}

TEST(KamokuDrag, TextOfEachTab)
{
    const struct {
        int tab;
        const char *text; // row 3, name ワイン, price 3000
    } cases[] = {
        {0, "1601003,,ワイン,3000"}, {1, "1601103,,ワイン,3000"}, {2, "1601803,,ワイン,3000"},
        {3, "1106003,,ワイン(立替金),3000"}, {4, ""}, {5, ""}, {6, ""}, {7, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tab);
        EXPECT_EQ(kamokuDragText(c.tab, 3, QStringLiteral("ワイン"), QStringLiteral("3000")),
                  QString::fromUtf8(c.text));
        EXPECT_EQ(kamokuTabDraggable(c.tab), c.tab <= 3);
    }
}

TEST(KamokuDrag, ANameWithCommasArrivesWholeOnTheBill)
{
    const struct {
        const char *name, *price;
        int32_t tanka;
    } cases[] = {
        {"夕食,朝食付き", "12000", 12000},
        {"a,,b,", "-500", -500},
        {",", "", 0},
        {"1,000円コース", "1000", 1000},
    };
    TBillState b;
    b.Lines.resize(16);
    const QDate today(2007, 8, 9);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = kamokuDragText(1, 5, QString::fromUtf8(c.name), QString::fromUtf8(c.price));
        DraggedItem item;
        ASSERT_TRUE(parseItemDragText(text, &item));
        EXPECT_EQ(item.key, 1601105u);
        EXPECT_EQ(item.name, QString::fromUtf8(c.name));
        EXPECT_EQ(item.price, c.tanka);

        ASSERT_TRUE(DropItem(b, 0, text, today));
        EXPECT_EQ(b.Lines[0].Kubun, 1601105u);
        EXPECT_EQ(fieldText(b.Lines[0].Kamoku), QString::fromUtf8(c.name));
        EXPECT_EQ(b.Lines[0].Tanka, c.tanka);
    }
    for (const char *bad : {"", "1601105,,name", "x,,name,5", "0,,name,5", "1601105,,name,abc"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseItemDragText(QString::fromUtf8(bad), nullptr));
        EXPECT_FALSE(DropItem(b, 1, QString::fromUtf8(bad), today));
    }
}

// Edited at the desk and saved, the master is what the next start reads:
// each category up to its last entry in use, then blank rows to type into.
class KamokuStorage : public ::testing::TestWithParam<StoreKind> {};

TEST_P(KamokuStorage, TheSavedMasterIsWhatTheNextStartReads)
{
    QString why;
    if (GetParam() == StoreKind::Database && !PgServer::shared(&why))
        GTEST_SKIP() << why.toStdString();
    const QDateTime now(QDate(2007, 8, 9), QTime(10, 0));
    const struct {
        const char *name;
        std::function<void(KamokuLists &)> edit;
    } cases[] = {
        {"unchanged", [](KamokuLists &) {}},
        {"an option inserted at row 3",
         [](KamokuLists &k) {
             insertKamokuEntry(k, 1, 3);
             EXPECT_EQ(setKamokuRow(k, 1, 3, QStringLiteral("地ビール"), QStringLiteral("700"), QStringLiteral("Local beer")),
                       QString());
         }},
        {"two options deleted",
         [](KamokuLists &k) {
             deleteKamokuEntry(k, 1, 3);
             deleteKamokuEntry(k, 1, 3);
         }},
        {"a tax-free entry typed far below the list",
         [](KamokuLists &k) {
             EXPECT_EQ(setKamokuRow(k, 3, 40, QStringLiteral("入場券"), QStringLiteral("1200"), QStringLiteral("Ticket")),
                       QString());
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        AppData data;
        data.ExePath = dir.path() + QLatin1Char('/');
        data.BackupPath = data.ExePath + QStringLiteral("backup/");
        seedDefaultKamoku(data.KamokuList);
        TLibrary lib;
        QString error;
        ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();
        if (GetParam() == StoreKind::Database) {
            moveIntoDatabase(data, lib, now);
            ASSERT_TRUE(data.Store);
        } else {
            loadAppData(data, lib, dir.path(), now);
        }
        ASSERT_FALSE(lib.WritesRefused());
        c.edit(data.KamokuList);
        renumberKamoku(data.KamokuList);
        ASSERT_TRUE(saveKamokuLists(data, lib, &error)) << error.toStdString();

        AppData again;
        again.Store = data.Store;
        TLibrary lib2;
        loadAppData(again, lib2, dir.path(), now);
        for (int i = 0; i < KamokuCategories; ++i) {
            SCOPED_TRACE(i);
            const RecordList<THojoKamoku> &saved = data.KamokuList[size_t(i)];
            const RecordList<THojoKamoku> &read = again.KamokuList[size_t(i)];
            const size_t n = kamokuStoredCount(saved);
            const QByteArray inUse(reinterpret_cast<const char *>(saved.data()), qsizetype(n * sizeof(THojoKamoku)));
            EXPECT_EQ(storedFile(again, QLatin1String(KamokuFileNames[size_t(i)])), inUse);
            ASSERT_GE(read.size(), n);
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(read.data()), qsizetype(n * sizeof(THojoKamoku))), inUse);
            EXPECT_EQ(read.size(), n + size_t(std::min(BlankKamokuEntries, std::max(0, kamokuCapacity(i) - int(n)))));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, KamokuStorage, ::testing::Values(StoreKind::Files, StoreKind::Database), storeKindName);

} // namespace
