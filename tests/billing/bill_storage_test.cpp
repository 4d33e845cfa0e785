// Taking a bill out of the stored lists and putting it back: headings,
// padding, summary records, rooms, the exempt keys, receivables, the bytes of
// reserve.dat and urikake.dat, and every refusal leaving all as it was. Each
// runs against the record files and against a database with the same
// expectations.

#include "billing/bill_storage.h"
#include "stored_bills.h"
#include "storage/clock.h"
#include "storage/store_kinds.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include <gtest/gtest.h>

namespace {

// The open bills here are of 2007: "today" is a day of theirs, under the 8 % of that time.
struct TodayIn2007 : ::testing::Environment {
    void SetUp() override { Clock::setFixed(QDateTime(QDate(2007, 8, 11), QTime(10, 0))); }
    void TearDown() override { Clock::setFixed({}); }
};
const auto *const today = ::testing::AddGlobalTestEnvironment(new TodayIn2007);

TReserveData rec(uint32_t meiNo, uint32_t key, int32_t tanka, int32_t suryou, const char *date, const char *room,
                 const char *text, const char *seisan = "")
{
    TReserveData r = line(key, tanka, suryou, date, room, text);
    r.MeiNo = meiNo;
    setFieldText(r.Seisan, QString::fromUtf8(seisan));
    setFieldText(r.Regday, QStringLiteral("R100"));
    setFieldText(r.Name, QStringLiteral("山田太郎"));
    setFieldText(r.Plan, QStringLiteral("朝食付"));
    r.Stay = 2;
    r.Stayx = 1;
    return r;
}

TUrikakeData receivable(uint32_t meiNo, uint32_t card, int32_t amount)
{
    TUrikakeData u{};
    u.MeiNo = meiNo;
    setFieldText(u.Seisan, QStringLiteral("2007/08/11"));
    setFieldText(u.Name, QStringLiteral("他の客"));
    u.Card = card;
    u.Goukei = amount;
    return u;
}

template <class List> std::vector<uint32_t> keys(const List &list, uint32_t meiNo)
{
    std::vector<uint32_t> k;
    for (const auto &r : list)
        if (r.MeiNo == meiNo)
            k.push_back(r.Kubun);
    return k;
}

template <class List> QStringList texts(const List &list)
{
    QStringList t;
    for (const auto &r : list)
        t << fieldText(r.Kamoku);
    return t;
}

class BillStorage : public StoredBills, public ::testing::WithParamInterface<StoreKind> {
public:
    QString reservePath() const { return data.filePath("reserve.dat"); }
    QString urikakePath() const { return data.filePath("urikake.dat"); }
    bool inDatabase() const { return GetParam() == StoreKind::Database; }
    // What the store holds for the file name.
    QByteArray stored(const QString &name) const { return storedFile(data, name); }

protected:
    void SetUp() override
    {
        StoredBills::SetUp();
        QString why;
        if (inDatabase() && !PgServer::shared(&why))
            GTEST_SKIP() << why.toStdString();
    }

    // The lists stored as a start finds them: in the record files, or
    // imported from them into a new database and read from it.
    void store(std::vector<TReserveData> reserve, std::vector<TUrikakeData> urikake = {})
    {
        data.Store.reset();
        data.ReserveList.edit().assign(reserve.begin(), reserve.end());
        data.UrikakeList.assign(urikake.begin(), urikake.end());
        QString error;
        ASSERT_TRUE(saveReserveList(data, lib, &error));
        ASSERT_TRUE(saveUrikakeList(data, lib, &error));
        if (!inDatabase())
            return;
        ASSERT_TRUE(saveBaseData(data, lib, &error) && saveKamokuLists(data, lib, &error)) << error.toStdString();
        ASSERT_EQ(moveIntoDatabase(data, lib, Clock::now()), QString());
        ASSERT_EQ(data.ReserveList.size(), reserve.size());
    }

    TBillState open(uint32_t billNo)
    {
        TBillState b;
        BuildSelectors(b, data.KamokuList);
        b.BillNo = billNo;
        LoadBill(b, data);
        EXPECT_TRUE(CalcTotals(b, data.BaseData).isEmpty());
        return b;
    }

    // Saves and checks that both files hold exactly the lists.
    void save(const TBillState &b)
    {
        const TBillMessage m = SaveBill(b, data, lib);
        ASSERT_TRUE(m.isEmpty()) << m.text.toStdString();
        EXPECT_EQ(stored("reserve.dat"), listBytes(data.ReserveList));
        EXPECT_EQ(stored("urikake.dat"), listBytes(data.UrikakeList));
    }
};

// A two-night stay in room 101 with a service, a discount and a deposit record,
// between two other bills.
std::vector<TReserveData> twoNightBill()
{
    return {
        rec(200, 1601001, 8000, 1, "2007/08/01", "201", "大人宿泊料金"),
        rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
        rec(100, 1601102, 800, 1, "2007/08/09", "101", "ビール"),
        rec(100, 1601001, 10000, 2, "2007/08/10", "101", "大人宿泊料金"),
        rec(100, 1601990, 4080, 1, "2007/08/09", "101", "サービス料10%"),
        rec(100, 1602005, -1000, 1, "2007/08/09", "101", "その他値引き"),
        rec(100, 1105001, 5000, 1, "2007/08/09", "101", "ご予約金"),
        rec(300, 1601002, 9000, 1, "2007/08/20", "301", "大人宿泊料金"),
    };
}

// The nights of one room are one block: no heading row appears between them
// when the bill is opened again, so the reopened bill prints as it did.
TEST_P(BillStorage, TwoNightBillInOneRoomLoadsWithoutHeadingsAndSavesBackUnchanged)
{
    store(twoNightBill());
    const TBillState b = open(100);

    ASSERT_EQ(b.Lines.size(), 16u);
    EXPECT_EQ(texts(b.Lines).mid(0, 4), QStringList({"大人宿泊料金", "ビール", "大人宿泊料金", ""}));
    EXPECT_EQ(fieldText(b.Lines[0].Name), QStringLiteral("山田太郎"));
    EXPECT_EQ(fieldText(b.Lines[2].Rsvday), QStringLiteral("2007/08/10"));
    for (size_t i = 3; i < 16; ++i) { // padding
        EXPECT_EQ(b.Lines[i].Kubun, 0u);
        EXPECT_EQ(fieldText(b.Lines[i].Room), QStringLiteral("101"));
        EXPECT_EQ(fieldText(b.Lines[i].Regday), QStringLiteral("R100"));
        EXPECT_EQ(b.Lines[i].Stay, 2);
    }

    EXPECT_EQ(b.MeiNoEdit, QStringLiteral("100"));
    EXPECT_EQ(b.RegdayEdit, QStringLiteral("R100"));
    EXPECT_EQ(b.NameEdit, QStringLiteral("山田太郎"));
    EXPECT_EQ(b.KeisyouCombo.text(0), QStringLiteral("様"));
    EXPECT_EQ(b.PlanEdit, QStringLiteral("朝食付"));
    EXPECT_EQ(b.StayLabel, QStringLiteral("2007年08月09日(木)から"));
    EXPECT_EQ(b.StayEdit, QStringLiteral("2"));
    EXPECT_EQ(b.StayxEdit, QStringLiteral("1"));
    EXPECT_EQ(b.DecideEdit, QStringLiteral("0"));
    EXPECT_EQ(b.RoomEdit, QStringLiteral("101"));
    EXPECT_TRUE(b.RoomEnabled);
    EXPECT_TRUE(b.HasServiceLine);
    EXPECT_TRUE(b.CheckBox1);
    EXPECT_TRUE(b.CheckBox2);
    EXPECT_EQ(b.SvcRate, 10);
    EXPECT_EQ(b.BathRate, 150);
    EXPECT_EQ(b.NebikiCombo.text(0), QStringLiteral("その他値引き"));
    EXPECT_EQ(b.CouponCombo.text(0), QStringLiteral("ご予約金"));
    EXPECT_EQ(b.SaNumEdit, (std::array<QString, 9>{"4080", "-1000", "43880", "3511", "600", "47991", "5000",
                                                   "42991", ""}));

    const std::vector<TReserveData> before = twoNightBill();
    save(b);
    // The other bills keep their order; the bill comes last, lines first, then
    // service, discount and deposit, byte for byte as it was stored.
    ASSERT_EQ(data.ReserveList.size(), 8u);
    EXPECT_EQ(listBytes(std::vector<TReserveData>(data.ReserveList.begin(), data.ReserveList.begin() + 2)),
              listBytes(std::vector<TReserveData>{before[0], before[7]}));
    EXPECT_EQ(listBytes(std::vector<TReserveData>(data.ReserveList.begin() + 2, data.ReserveList.end())),
              listBytes(std::vector<TReserveData>(before.begin() + 1, before.begin() + 7)));
}

TEST_P(BillStorage, SavedLinesTakeTheHeaderAndGeneratedLinesFollow)
{
    store(twoNightBill());
    TBillState b = open(100);
    b.SeisanDay = QStringLiteral("2007/08/11");
    b.NameEdit = QStringLiteral("鈴木花子");
    b.PlanEdit = QStringLiteral("素泊まり");
    b.RoomEdit = QStringLiteral("105");
    b.StayEdit = QStringLiteral("3");
    b.DecideEdit = QStringLiteral("1");
    b.Lines[6] = line(1106002, 250, 2, "2007/08/10", "", "タバコ代(立替金)"); // a line filled on the padding
    b.Lines[7] = line(0, 0, 0, "2007/08/10", "", "手入力");                    // typed without an item: dropped
    b.CouponCombo.ItemIndex = 0;                                                // deposit taken away
    ASSERT_TRUE(CalcTotals(b, data.BaseData).isEmpty());
    save(b);

    const auto &list = data.ReserveList;
    EXPECT_EQ(keys(list, 100), (std::vector<uint32_t>{1601001, 1601102, 1601001, 1106002, 1601990, 1602005}));
    for (size_t i = 2; i < list.size(); ++i) {
        const TReserveData &r = list[i];
        EXPECT_EQ(r.MeiNo, 100u);
        EXPECT_EQ(fieldText(r.Seisan), QStringLiteral("2007/08/11"));
        EXPECT_EQ(fieldText(r.Regday), QStringLiteral("R100"));
        EXPECT_EQ(fieldText(r.Name), QStringLiteral("鈴木花子"));
        EXPECT_EQ(fieldText(r.Plan), QStringLiteral("素泊まり"));
        EXPECT_EQ(fieldText(r.Room), QStringLiteral("105"));
        EXPECT_EQ(r.Stay, 3);
        EXPECT_EQ(r.Stayx, 1);
        EXPECT_EQ(r.Decide, 1);
    }
    const TReserveData &service = list[6];
    EXPECT_EQ(fieldText(service.Kamoku), QStringLiteral("サービス料10%"));
    EXPECT_EQ(service.Tanka, 4080);
    EXPECT_EQ(service.Suryou, 1);
    EXPECT_EQ(fieldText(service.Rsvday), QStringLiteral("2007/08/09"));
    EXPECT_EQ(list[7].Tanka, -1000);
}

TEST_P(BillStorage, TwoRoomsKeepTheirOwnRooms)
{
    store({
        rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
        rec(100, 1601102, 800, 1, "2007/08/09", "101", "ビール"),
        rec(100, 1601001, 10000, 1, "2007/08/09", "102", "大人宿泊料金"),
    });
    const TBillState b = open(100);
    EXPECT_TRUE(b.RoomEdit.isEmpty());
    EXPECT_FALSE(b.RoomEnabled);
    EXPECT_TRUE(b.RoomsDiffer);
    EXPECT_EQ(texts(b.Lines).mid(0, 5),
              QStringList({"101 ご利用分", "大人宿泊料金", "ビール", "102 ご利用分", "大人宿泊料金"}));
    EXPECT_EQ(fieldText(b.Lines[5].Room), QString()); // padding without a common room

    save(b);
    QStringList rooms;
    for (const auto &r : data.ReserveList)
        rooms << fieldText(r.Room);
    EXPECT_EQ(rooms, QStringList({"101", "101", "102", ""})); // the service line has no room of its own
}

TEST_P(BillStorage, TwentyLinesPadToWholePages)
{
    std::vector<TReserveData> stored;
    for (int i = 0; i < 20; ++i)
        stored.push_back(rec(100, 1601102, 800, 1, "2007/08/09", "101", "ビール"));
    store(stored);
    TBillState b = open(100);
    EXPECT_EQ(b.Lines.size(), 32u);
    b.PageNo = 3;
    padLines(b);
    EXPECT_EQ(b.Lines.size(), 48u);
    EXPECT_EQ(b.Lines[47].Kubun, 0u);
    save(b);
    EXPECT_EQ(data.ReserveList.size(), 21u); // 20 lines and the service line
    EXPECT_EQ(data.ReserveList.back().Kubun, 1601990u);
}

TEST_P(BillStorage, RepeatedDiscountAndDepositRecordsCollapseIntoTheLaterOnes)
{
    store({
        rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
        rec(100, 1602001, -500, 1, "2007/08/09", "101", "じゃらんポイント利用"),
        rec(100, 102001, 1000, 1, "2007/08/09", "101", "クーポン"),
        rec(100, 1602002, -300, 1, "2007/08/09", "101", "楽天ポイント利用"),
        rec(100, 1105001, 2000, 1, "2007/08/09", "101", "ご予約金"),
    });
    const TBillState b = open(100);
    EXPECT_EQ(b.NebikiCombo.ItemIndex, 2);
    EXPECT_EQ(b.CouponCombo.ItemIndex, 3);
    EXPECT_EQ(b.SaNumEdit[RowDiscount], QStringLiteral("-300"));
    EXPECT_EQ(b.SaNumEdit[RowDeposit], QStringLiteral("2000"));
    save(b);
    EXPECT_EQ(keys(data.ReserveList, 100), (std::vector<uint32_t>{1601001, 1601990, 1602002, 1105001}));
    EXPECT_EQ(data.ReserveList[2].Tanka, -300);
    EXPECT_EQ(data.ReserveList[3].Tanka, 2000);
}

TEST_P(BillStorage, ServiceSwitchOfSettledAndOpenBills)
{
    const struct {
        const char *name;
        int service;
        const char *seisan;
        bool serviceLine;
        bool on;
    } cases[] = {
        {"open bill", 10, "", false, true},
        {"settled without a service line", 10, "2007/08/10", false, false},
        {"settled with a service line", 10, "2007/08/10", true, true},
        {"no service rate", 0, "", true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        data.BaseData.Service = c.service;
        std::vector<TReserveData> stored = {rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金", c.seisan)};
        if (c.serviceLine)
            stored.push_back(rec(100, 1601990, 2000, 1, "2007/08/09", "101", "サービス料10%", c.seisan));
        store(stored);
        const TBillState b = open(100);
        EXPECT_EQ(b.CheckBox1, c.on);
        EXPECT_EQ(b.SvcRate, c.on ? c.service : 0);
        save(b);
        // The service line is stored exactly while the switch is on.
        const std::vector<uint32_t> expected =
            c.on ? std::vector<uint32_t>{1601001, 1601990} : std::vector<uint32_t>{1601001};
        EXPECT_EQ(keys(data.ReserveList, 100), expected);
    }
}

TEST_P(BillStorage, ServiceLineIsWrittenWhileSwitchedOnEvenAtZero)
{
    store({rec(100, 1106001, 500, 1, "2007/08/09", "101", "電話代")});
    const TBillState b = open(100);
    ASSERT_TRUE(b.CheckBox1);
    save(b);
    ASSERT_EQ(keys(data.ReserveList, 100), (std::vector<uint32_t>{1106001, 1601990}));
    EXPECT_EQ(fieldText(data.ReserveList[1].Kamoku), BillPlaceholder);
    EXPECT_EQ(data.ReserveList[1].Tanka, 0);
}

TEST_P(BillStorage, ExemptKeysTurnTheBathingTaxOffForTheWholeBill)
{
    store({
        rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
        rec(100, 1601991, 10000, 2, "2007/08/10", "101", "大人宿泊料金"),
        rec(100, 1601002, 10000, 1, "2007/08/10", "101", "大人宿泊料金"),
        rec(100, 1601801, 3000, 1, "2007/08/10", "101", "大人日帰り利用料金"),
    });
    const TBillState b = open(100);
    EXPECT_FALSE(b.CheckBox2);
    EXPECT_EQ(b.BathRate, 0);
    EXPECT_EQ(b.GEdit[RowAdvance], BillPlaceholder);
    save(b);
    EXPECT_EQ(keys(data.ReserveList, 100), (std::vector<uint32_t>{1601991, 1601991, 1601992, 1601993, 1601990}));
}

TEST_P(BillStorage, DiscountTextFollowsTheLanguageAndDepositStaysJapanese)
{
    store(twoNightBill());
    TBillState b = open(100);
    SwitchLanguage(b, data.KamokuList);
    ASSERT_TRUE(CalcTotals(b, data.BaseData).isEmpty());
    save(b);
    EXPECT_EQ(texts(data.ReserveList).mid(2),
              QStringList({"Charge(ADULT)", "Beer", "Charge(ADULT)", "Service Charge10%", "Discount", "ご予約金"}));
}

TEST_P(BillStorage, BillReceiptedInEnglishOpensInEnglish)
{
    std::vector<TReserveData> stored = twoNightBill();
    for (auto &r : stored)
        r.Decide = r.MeiNo == 100 ? 2 : 0;
    store(stored);
    setFieldText(data.BaseData.Tadashi, QStringLiteral("ご宿泊代として"));
    TBillState b;
    EXPECT_TRUE(OpenBill(b, data, 100).isEmpty());
    EXPECT_EQ(b.LangFlag, 1);
    EXPECT_FALSE(languageSwitchAsks(b));
    EXPECT_TRUE(b.TadashiCheck);
    EXPECT_EQ(texts(b.Lines).mid(0, 3), QStringList({"Charge(ADULT)", "Beer", "Charge(ADULT)"}));
    EXPECT_EQ(b.rowLabel(RowDiscount), QStringLiteral("Discount"));
    EXPECT_EQ(b.rowLabel(RowAdvance), QStringLiteral("BathingTax(2psn * JPY150*2nights)"));
    EXPECT_EQ(b.SaNumEdit[RowBalance], QStringLiteral("42991"));

    data.BaseData.Tadashi[0] = 0;
    data.KamokuList = {};
    const TBillMessage m = OpenBill(b, data, 100);
    EXPECT_EQ(m.title, QStringLiteral("注意"));
    EXPECT_FALSE(b.TadashiCheck);
}

// A bill written in English and saved before any receipt opens in English;
// a Japanese one, and one receipted in Japanese, in Japanese.
TEST_P(BillStorage, BillSavedInEnglishBeforeAnyReceiptOpensInEnglish)
{
    store(twoNightBill());
    TBillState b = open(100);
    ASSERT_EQ(b.LangFlag, 0);
    // Switched to the other language, with the receipt status given, saved and opened again.
    auto switchSaveAndReopen = [&](TBillState &bill, const QString &decide) {
        SwitchLanguage(bill, data.KamokuList);
        bill.DecideEdit = decide;
        ASSERT_TRUE(CalcTotals(bill, data.BaseData).isEmpty());
        save(bill);
        OpenBill(bill, data, 100);
    };
    switchSaveAndReopen(b, QStringLiteral("0"));
    EXPECT_EQ(b.LangFlag, 1);
    EXPECT_TRUE(languageSwitchAsks(b)) << "not receipted: switching still asks";
    EXPECT_EQ(texts(b.Lines).mid(0, 3), QStringList({"Charge(ADULT)", "Beer", "Charge(ADULT)"}));
    switchSaveAndReopen(b, QStringLiteral("0"));
    EXPECT_EQ(b.LangFlag, 0);
    // Receipted in Japanese: Japanese, whatever the lines say.
    switchSaveAndReopen(b, QStringLiteral("1"));
    EXPECT_EQ(b.LangFlag, 0);
}

TEST_P(BillStorage, ItemsGoneFromTheMasterKeepTheirKeys)
{
    store({rec(100, 1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
           rec(100, 1602009, -700, 1, "2007/08/09", "101", "旧ポイント"),
           rec(100, 102009, 3000, 1, "2007/08/09", "101", "旧クーポン")},
          {receivable(100, 101015, 9000)});
    const TBillState b = open(100);
    EXPECT_EQ(b.NebikiCombo.text(0), QStringLiteral("旧ポイント"));
    EXPECT_EQ(b.CouponCombo.text(0), QStringLiteral("旧クーポン"));
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("9000"));
    EXPECT_FALSE(b.cardKind().isEmpty());
    save(b);
    EXPECT_EQ(keys(data.ReserveList, 100), (std::vector<uint32_t>{1601001, 1601990, 1602009, 102009}));
    ASSERT_EQ(data.UrikakeList.size(), 1u);
    EXPECT_EQ(data.UrikakeList[0].Card, 101015u);
    EXPECT_EQ(data.UrikakeList[0].Goukei, 9000);
}

TEST_P(BillStorage, ReceivableAddedUpdatedAndRemoved)
{
    store(twoNightBill(), {receivable(200, 101001, 8000), receivable(300, 101002, 9000)});
    const QByteArray others = listBytes(data.UrikakeList);

    // Added at the end; an empty card amount is 0.
    TBillState b = open(100);
    EXPECT_TRUE(b.cardKind().isEmpty());
    b.SiharaiCombo.EditText = QStringLiteral("VISA");
    b.SaNumEdit[8].clear();
    b.SeisanDay = QStringLiteral("2008/03/31");
    save(b);
    ASSERT_EQ(data.UrikakeList.size(), 3u);
    const TUrikakeData &added = data.UrikakeList[2];
    EXPECT_EQ(added.MeiNo, 100u);
    EXPECT_EQ(fieldText(added.Seisan), QStringLiteral("2008/03/31"));
    EXPECT_EQ(fieldText(added.Name), QStringLiteral("山田太郎"));
    EXPECT_EQ(added.Card, 101002u);
    EXPECT_EQ(added.Goukei, 0);

    // Updated in place; a second entry of the same bill goes.
    data.UrikakeList.push_back(receivable(100, 101001, 1));
    b = open(100);
    EXPECT_EQ(b.cardKind(), QStringLiteral("VISA"));
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("0"));
    SetCardKind(b, QStringLiteral("Master"));
    b.SaNumEdit[8] = QStringLiteral("30000");
    b.SeisanDay = QStringLiteral("2008/04/01");
    save(b);
    ASSERT_EQ(data.UrikakeList.size(), 3u);
    EXPECT_EQ(data.UrikakeList[2].Card, 101003u);
    EXPECT_EQ(data.UrikakeList[2].Goukei, 30000);
    EXPECT_EQ(fieldText(data.UrikakeList[2].Seisan), QStringLiteral("2008/04/01"));

    // Removed: the file shrinks by one record and the others stay as they were.
    b = open(100);
    SetCardKind(b, QString());
    save(b);
    EXPECT_EQ(stored("urikake.dat"), others);
}

TEST_P(BillStorage, OtherBillsAreTakenAsTheyStandWhenSaving)
{
    store(twoNightBill());
    const TBillState b = open(100);
    // While the bill is open a reservation arrives and another bill is deleted.
    data.ReserveList.push_back(rec(400, 1601001, 7000, 1, "2007/08/12", "401", "大人宿泊料金"));
    data.ReserveList.edit().erase(data.ReserveList.edit().begin());
    // Each stored as it happens (a database takes the bill's own save for that bill alone).
    QString error;
    ASSERT_TRUE(saveBillLists(data, lib, &error)) << error.toStdString();
    save(b);
    std::vector<uint32_t> bills;
    for (const auto &r : data.ReserveList)
        bills.push_back(r.MeiNo);
    EXPECT_EQ(bills, (std::vector<uint32_t>{300, 400, 100, 100, 100, 100, 100, 100}));
}

TEST_P(BillStorage, RefusalsLeaveListsAndFilesAsTheyWere)
{
    struct Case {
        const char *name;
        std::function<void(TBillState &, BillStorage &)> change;
        bool filesOnly = false;
    };
    const Case cases[] = {
        {"card kind not in the master",
         [](TBillState &b, BillStorage &) { b.SiharaiCombo.EditText = QStringLiteral("ビザ"); }},
        {"discount with a fraction", [](TBillState &b, BillStorage &) { b.SaNumEdit[RowDiscount] = "-12.5"; }},
        {"deposit with a fraction", [](TBillState &b, BillStorage &) { b.SaNumEdit[RowDeposit] = "100.5"; }},
        {"card amount with a fraction",
         [](TBillState &b, BillStorage &) {
             SetCardKind(b, QStringLiteral("JCB"));
             b.SaNumEdit[8] = QStringLiteral("100.25");
         }},
        {"nights not a number", [](TBillState &b, BillStorage &) { b.StayEdit = QStringLiteral("x"); }},
        {"settlement date not a date", [](TBillState &b, BillStorage &) { b.SeisanDay = "2007/13/01"; }},
        {"amount on a line without an item",
         [](TBillState &b, BillStorage &) { b.Lines[7] = line(0, 500, 1, "2007/08/10", "", "手入力"); }},
        {"total beyond 32 bits",
         [](TBillState &b, BillStorage &) { b.Lines[6] = line(1601102, 2000000000, 2, "2007/08/09"); }},
        {"writes refused",
         [](TBillState &b, BillStorage &t) {
             SetCardKind(b, QStringLiteral("JCB"));
             t.lib.RefuseWrites(QStringLiteral("読み込みに失敗しました"));
         }},
        {"urikake.dat cannot be written",
         [](TBillState &b, BillStorage &t) {
             SetCardKind(b, QStringLiteral("JCB"));
             QFile::remove(t.urikakePath());
             QDir().mkdir(t.urikakePath());
         },
         true},
        {"reserve.dat cannot be written after urikake.dat was",
         [](TBillState &b, BillStorage &t) {
             SetCardKind(b, QStringLiteral("JCB"));
             QFile::remove(t.reservePath());
             QDir().mkdir(t.reservePath());
         },
         true},
    };
    for (const Case &c : cases) {
        if (c.filesOnly && inDatabase())
            continue;
        SCOPED_TRACE(c.name);
        lib = TLibrary{};
        QDir(reservePath()).removeRecursively();
        QDir(urikakePath()).removeRecursively();
        store(twoNightBill(), {receivable(200, 101001, 8000), receivable(100, 101002, 5000)});
        TBillState b = open(100);
        c.change(b, *this);
        const QByteArray reserveList = listBytes(data.ReserveList);
        const QByteArray urikakeList = listBytes(data.UrikakeList);
        const QByteArray reserveFile = stored("reserve.dat");
        const QByteArray urikakeFile = stored("urikake.dat");
        const bool reserveIsDir = QFileInfo(reservePath()).isDir();
        const bool urikakeIsDir = QFileInfo(urikakePath()).isDir();

        const TBillMessage m = SaveBill(b, data, lib);
        EXPECT_EQ(m.title, QStringLiteral("エラー"));
        EXPECT_FALSE(m.text.isEmpty());
        EXPECT_EQ(listBytes(data.ReserveList), reserveList);
        EXPECT_EQ(listBytes(data.UrikakeList), urikakeList);
        EXPECT_EQ(stored("reserve.dat"), reserveFile);
        EXPECT_EQ(stored("urikake.dat"), urikakeFile);
        if (inDatabase())
            continue;
        EXPECT_EQ(QFileInfo(reservePath()).isDir(), reserveIsDir);
        EXPECT_EQ(QFileInfo(urikakePath()).isDir(), urikakeIsDir);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), reserveIsDir || urikakeIsDir ? 1 : 2)
            << "no temporary file left behind";
    }
}

TEST_P(BillStorage, RefusedCardKindNamesTheText)
{
    store(twoNightBill());
    TBillState b = open(100);
    b.SiharaiCombo.EditText = QStringLiteral("ビザ");
    const TBillMessage m = SaveBill(b, data, lib);
    EXPECT_TRUE(m.text.contains(QStringLiteral("ビザ")));
    EXPECT_TRUE(m.text.contains(QStringLiteral("カード")));
}

// Text the records cannot hold exactly is refused, never stored as "?" or cut;
// both files and both lists stay as they were.
TEST_P(BillStorage, TextsTheRecordsCannotHoldAreRefused)
{
    const struct {
        const char *name;
        std::function<void(TBillState &)> change;
        const char *message;
    } cases[] = {
        {"emoji in the name", [](TBillState &b) { b.NameEdit = QStringLiteral("山田😀"); },
         "名前に保存できない文字があります：「😀」\nこの文字は使えません。別の文字で入力してください"},
        {"letter outside CP932 in the plan", [](TBillState &b) { b.PlanEdit = QStringLiteral("Crème"); },
         "プランに保存できない文字があります：「è」\nこの文字は使えません。別の文字で入力してください"},
        {"name of 64 bytes", [](TBillState &b) { b.NameEdit = QString(32, QChar(0x3042)); },
         "名前は全角31文字（半角63文字）以内で入力してください"},
        {"room of 80 bytes", [](TBillState &b) { b.RoomEdit = QString(80, QLatin1Char('1')); },
         "部屋は全角31文字（半角63文字）以内で入力してください"},
        {"plan of 80 bytes", [](TBillState &b) { b.PlanEdit = QString(40, QChar(0x3042)); },
         "プランは全角31文字（半角63文字）以内で入力してください"},
        {"name of spaces only", [](TBillState &b) { b.NameEdit = QStringLiteral(" 　 "); }, "名前を入力してください"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        store(twoNightBill(), {receivable(100, 101002, 5000)});
        TBillState b = open(100);
        SetCardKind(b, QStringLiteral("VISA"));
        c.change(b);
        const QByteArray reserveFile = stored("reserve.dat");
        const QByteArray urikakeFile = stored("urikake.dat");
        const TBillMessage m = SaveBill(b, data, lib);
        EXPECT_EQ(m.title, QStringLiteral("エラー"));
        EXPECT_EQ(m.text, QString::fromUtf8(c.message));
        EXPECT_EQ(stored("reserve.dat"), reserveFile);
        EXPECT_EQ(stored("urikake.dat"), urikakeFile);
        EXPECT_EQ(listBytes(data.ReserveList), reserveFile);
    }
    // 63 bytes fit both files alike.
    store(twoNightBill(), {receivable(100, 101002, 5000)});
    TBillState b = open(100);
    SetCardKind(b, QStringLiteral("VISA"));
    b.NameEdit = QString(31, QChar(0x3042)) + QLatin1Char('A');
    save(b);
    EXPECT_EQ(fieldText(data.UrikakeList.back().Name), b.NameEdit);
    for (const TReserveData &r : data.ReserveList) {
        if (r.MeiNo == 100) {
            EXPECT_EQ(fieldText(r.Name), b.NameEdit);
        }
    }
}

// A receipt issued is recorded in the same commit as its bill: both are
// saved, or (the bill refused, the record unreadable, the folder not
// writable) neither.
TEST_P(BillStorage, AnIssuedReceiptIsRecordedWithItsBillOrNotAtAll)
{
    const QString issuesPath = data.filePath(ReceiptIssuesFileName);
    const QDateTime at(QDate(2007, 8, 11), QTime(10, 0, 5));
    store(twoNightBill());
    TBillState b = open(100);
    b.DecideEdit = QStringLiteral("1");
    TReceiptIssue issue{100, at, 0, 0};
    ASSERT_TRUE(SaveBill(b, data, lib, &issue).isEmpty());
    ASSERT_TRUE(SaveBill(b, data, lib, &issue).isEmpty());
    ReceiptIssues issues;
    QString error;
    ASSERT_TRUE(issues.load(data, &error)) << error.toStdString();
    EXPECT_EQ(issues.count(100), 2);
    for (const TReserveData &r : data.ReserveList)
        if (r.MeiNo == 100)
            EXPECT_EQ(r.Decide, 1);
    const QByteArray twoIssues = stored(ReceiptIssuesFileName);
    EXPECT_EQ(twoIssues.size(), qsizetype(2 * sizeof(TReceiptIssueData)));

    struct Case {
        const char *name;
        std::function<void(TBillState &, BillStorage &)> change;
        bool filesOnly = false;
    };
    const Case cases[] = {
        {"bill refused", [](TBillState &c, BillStorage &) { c.NameEdit = QStringLiteral(" "); }},
        {"record unreadable",
         [&](TBillState &, BillStorage &) {
             QFile f(issuesPath);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write("torn");
         },
         true},
        {"writes refused", [](TBillState &, BillStorage &t) { t.lib.RefuseWrites(QStringLiteral("読み込みに失敗しました")); }},
    };
    for (const Case &c : cases) {
        if (c.filesOnly && inDatabase())
            continue;
        SCOPED_TRACE(c.name);
        lib = TLibrary{};
        {
            QFile f(issuesPath);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(twoIssues);
        }
        store(twoNightBill());
        TBillState changed = open(100);
        changed.DecideEdit = QStringLiteral("1");
        c.change(changed, *this);
        const QByteArray reserveFile = stored("reserve.dat");
        const QByteArray issuesFile = stored(ReceiptIssuesFileName);
        const TBillMessage m = SaveBill(changed, data, lib, &issue);
        EXPECT_FALSE(m.text.isEmpty());
        EXPECT_EQ(stored("reserve.dat"), reserveFile);
        EXPECT_EQ(stored(ReceiptIssuesFileName), issuesFile);
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, BillStorage, ::testing::Values(StoreKind::Files, StoreKind::Database), storeKindName);

} // namespace
