// The bill window's rules over the working state: selectors from the item
// master, the bathing-tax switch, the language switch and the card amount.

#include "bill_fixtures.h"
#include "billing/bill_storage.h"

#include <gtest/gtest.h>

namespace {

// The default item master with the blank entries a start appends.
KamokuLists loadedKamoku()
{
    KamokuLists k = defaultKamoku();
    for (auto &list : k)
        list.resize(list.size() + BlankKamokuEntries, THojoKamoku{});
    return k;
}

TEST(BillSelectors, BuiltFromTheItemMasterInBothLanguages)
{
    TBillState b;
    EXPECT_TRUE(BuildSelectors(b, loadedKamoku()).isEmpty());

    // 12 accommodation, 6 options, 5 day use, then 3 advances; blanks skipped.
    ASSERT_EQ(b.TekiyoCombo.Items[0].size(), 26);
    ASSERT_EQ(b.TekiyoCombo.Items[1].size(), 26);
    ASSERT_EQ(b.TekiyoItems.size(), 26u);
    EXPECT_EQ(b.TekiyoCombo.Items[0][0], QStringLiteral("大人宿泊料金"));
    EXPECT_EQ(b.TekiyoCombo.Items[1][13], QStringLiteral("Beer"));
    EXPECT_EQ(b.TekiyoCombo.Items[0][23], QStringLiteral("電話代(立替金)"));
    EXPECT_EQ(b.TekiyoCombo.Items[1][23], QStringLiteral("Telephone"));
    EXPECT_EQ(itemKey(b.TekiyoItems[23]), 1106001u);

    EXPECT_EQ(b.NebikiCombo.Items[0],
              QStringList({"*****", "じゃらんポイント利用", "楽天ポイント利用", "ネットモールポイント利用",
                           "割引クーポン利用", "その他値引き"}));
    EXPECT_EQ(b.NebikiCombo.Items[1],
              QStringList({"*****", "Point", "Point", "use Point of Netmall", "Coupon", "Discount"}));
    // Coupons before deposits, in category order.
    EXPECT_EQ(b.CouponCombo.Items[0], QStringList({"*****", "クーポン", "楽天事前決済", "ご予約金"}));
    EXPECT_EQ(b.CouponCombo.Items[1], QStringList({"*****", "Coupon", "RakutenCoupon", "Deposit"}));
    EXPECT_EQ(itemKey(b.CouponItems[2]), 1105001u);
    EXPECT_EQ(b.SiharaiCombo.Items[0].size(), 10);
    EXPECT_EQ(b.SiharaiCombo.Items[0][3], QStringLiteral("ニコス"));
    EXPECT_EQ(b.SiharaiCombo.Items[1][3], QStringLiteral("NIKOS"));
    EXPECT_EQ(b.KeisyouCombo.Items[0], QStringList({"様", "御中", "殿"}));
    EXPECT_EQ(b.KeisyouCombo.Items[1], QStringList({"Mr.", "Mrs.", "Miss.", "Messrs."}));

    EXPECT_EQ(b.NebikiCombo.text(0), BillPlaceholder);
    EXPECT_EQ(b.CouponCombo.text(1), BillPlaceholder);
    EXPECT_EQ(b.KeisyouCombo.text(0), QStringLiteral("様"));
    EXPECT_TRUE(b.SiharaiCombo.EditText.isEmpty());

    const TBillMessage m = BuildSelectors(b, KamokuLists{});
    EXPECT_EQ(m.title, QStringLiteral("注意"));
    EXPECT_EQ(m.text, QStringLiteral("摘要マスターが設定されていません\n摘要マスターを確認してください"));
}

TEST(BathSwitch, FlipsAdultKeysBothWays)
{
    TBillState b;
    b.Lines = {line(1601001, 1, 1), line(1601002, 1, 1), line(1601801, 1, 1), line(1601802, 1, 1),
               line(1601003, 1, 1), line(1601990, 1, 1), line(0, 0, 0),       line(1106001, 1, 1)};
    const std::vector<uint32_t> off = {1601991, 1601992, 1601993, 1601994, 1601003, 1601990, 0, 1106001};
    const std::vector<uint32_t> on = {1601001, 1601002, 1601801, 1601802, 1601003, 1601990, 0, 1106001};
    auto keys = [&] {
        std::vector<uint32_t> k;
        for (const auto &l : b.Lines)
            k.push_back(l.Kubun);
        return k;
    };
    const TBaseData base = settings(1, 1, 1);
    SetBathSwitch(b, false, base);
    EXPECT_EQ(keys(), off);
    EXPECT_FALSE(b.CheckBox2);
    EXPECT_EQ(b.BathRate, 0);
    SetBathSwitch(b, true, base);
    EXPECT_EQ(keys(), on);
    EXPECT_EQ(b.BathRate, 150);
}

TEST(LanguageSwitch, ReplacesMasterTextsAndKeepsSelections)
{
    const KamokuLists kamoku = loadedKamoku();
    TBillState b;
    BuildSelectors(b, kamoku);
    b.Lines = {
        line(0, 0, 0, "", "", "101 ご利用分"),
        line(1601001, 10000, 2, "2007/08/09", "", "手入力の宿泊"),
        line(1601102, 800, 1, "", "", "生ビール"),
        line(1601801, 3000, 1, "", "", "日帰り"),
        line(1106002, 250, 1, "", "", "タバコ代(立替金)"),
        line(1601991, 10000, 1, "", "", "入湯税なし"),
        line(1601099, 1, 1, "", "", "範囲外"),      // no entry at that position
        line(1601013, 1, 1, "", "", "空き項目"),    // a blank entry
        line(1602001, -100, 1, "", "", "ポイント"),
    };
    for (int page = 0; page < 2; ++page) // a second page is switched as well
        b.Lines.push_back(line(1601105, 250, 1, "", "", "ジュース類"));
    b.NebikiCombo.ItemIndex = 2;
    b.SiharaiCombo.ItemIndex = 3;
    b.SiharaiCombo.EditText = QStringLiteral("ニコス");
    b.KeisyouCombo.ItemIndex = 1;

    auto texts = [&] {
        QStringList t;
        for (const auto &l : b.Lines)
            t << fieldText(l.Kamoku);
        return t;
    };
    SwitchLanguage(b, kamoku);
    EXPECT_EQ(b.LangFlag, 1);
    EXPECT_EQ(texts(), QStringList({"101 ご利用分", "Charge(ADULT)", "Beer", "DayUse(Adult)", "Tobacco", "入湯税なし",
                                    "範囲外", "空き項目", "ポイント", "Juice", "Juice"}));
    EXPECT_EQ(b.NebikiCombo.text(1), QStringLiteral("Point"));
    EXPECT_EQ(b.SiharaiCombo.EditText, QStringLiteral("NIKOS"));
    EXPECT_EQ(b.KeisyouCombo.text(1), QStringLiteral("Mrs."));

    SwitchLanguage(b, kamoku);
    EXPECT_EQ(b.LangFlag, 0);
    // Advances come back with their bare name.
    EXPECT_EQ(texts(), QStringList({"101 ご利用分", "大人宿泊料金", "ビール", "大人日帰り利用料金", "タバコ代",
                                    "入湯税なし", "範囲外", "空き項目", "ポイント", "ジュース", "ジュース"}));
    EXPECT_EQ(b.SiharaiCombo.EditText, QStringLiteral("ニコス"));

    b.DecideEdit = QStringLiteral("2");
    EXPECT_FALSE(languageSwitchAsks(b));
    b.DecideEdit = QStringLiteral("1");
    EXPECT_TRUE(languageSwitchAsks(b));
}

TEST(CardKind, TakesTheBalanceOnlyWhileTheCardAmountIsZero)
{
    TBillState b;
    BuildSelectors(b, defaultKamoku());
    b.SaNumEdit[RowBalance] = QStringLiteral("39992");

    SetCardKind(b, QStringLiteral("VISA"));
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("39992"));
    EXPECT_EQ(b.SiharaiCombo.ItemIndex, 1);

    b.SaNumEdit[8] = QStringLiteral("20000");
    SetCardKind(b, QStringLiteral("JCB"));
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("20000"));
    EXPECT_EQ(b.SiharaiCombo.ItemIndex, 0);

    SetCardKind(b, QString());
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("0"));
    SetCardKind(b, QStringLiteral("Master"));
    EXPECT_EQ(b.SaNumEdit[8], QStringLiteral("39992"));

    // A typed text that names no card company selects nothing.
    SetCardKind(b, QStringLiteral("ビザ"));
    EXPECT_EQ(b.SiharaiCombo.ItemIndex, -1);
    EXPECT_EQ(cardItemIndex(b, QStringLiteral("ビザ")), -1);
    // The English name is recognised while the window shows Japanese.
    EXPECT_EQ(cardItemIndex(b, QStringLiteral("SAISON")), 7);
}

// A bill of one page: two lines on 2007/08/09, then padding.
TBillState pageOfLines()
{
    TBillState b;
    BuildSelectors(b, defaultKamoku());
    b.RegdayEdit = QStringLiteral("R1");
    b.NameEdit = QStringLiteral("山田");
    b.StayEdit = QStringLiteral("1");
    b.Lines = {line(1601001, 10000, 2, "2007/08/09", "101", "大人宿泊料金"),
               line(1601102, 800, 1, "2007/08/09", "101", "ビール")};
    padLines(b);
    return b;
}

TEST(BillLines, PickingAnItemFillsTheLine)
{
    TBillState b = pageOfLines();
    PickItem(b, 2, 13); // ビール, on the first empty line
    const TReserveData &l = b.Lines[2];
    EXPECT_EQ(l.Kubun, 1601102u);
    EXPECT_EQ(fieldText(l.Rsvday), QStringLiteral("2007/08/09"));
    EXPECT_EQ(fieldText(l.Kamoku), QStringLiteral("ビール"));
    EXPECT_EQ(l.Tanka, 800);
    EXPECT_EQ(l.Suryou, 1);

    PickItem(b, 3, 24); // タバコ代, an advance
    EXPECT_EQ(fieldText(b.Lines[3].Kamoku), QStringLiteral("タバコ代(立替金)"));
    b.LangFlag = 1;
    PickItem(b, 4, 24);
    EXPECT_EQ(fieldText(b.Lines[4].Kamoku), QStringLiteral("Tobacco(Advance)"));
    PickItem(b, 0, 0); // the first line has no line before it and keeps its date
    EXPECT_EQ(fieldText(b.Lines[0].Rsvday), QStringLiteral("2007/08/09"));
}

TEST(BillLines, DroppedItemsAndTypedRows)
{
    TBillState b = pageOfLines();
    const QDate today(2014, 3, 21);
    EXPECT_TRUE(DropItem(b, 2, QStringLiteral("1601104,,ワイン,3000"), today));
    EXPECT_EQ(b.Lines[2].Kubun, 1601104u);
    EXPECT_EQ(fieldText(b.Lines[2].Rsvday), QStringLiteral("2007/08/09"));
    EXPECT_EQ(b.Lines[2].Tanka, 3000);
    EXPECT_EQ(b.Lines[2].Suryou, 0);
    EXPECT_TRUE(DropItem(b, 10, QStringLiteral("1106001,,電話代,0"), today)); // no date above it
    EXPECT_EQ(fieldText(b.Lines[10].Rsvday), QStringLiteral("2014/03/21"));
    EXPECT_FALSE(DropItem(b, 11, QString(), today));
    EXPECT_EQ(b.Lines[11].Kubun, 0u);

    // 40 bytes are accepted as typed, 41 are not and nothing is written.
    const QString twenty = QString(20, QChar(0x3042));
    EXPECT_TRUE(WriteBackRow(b, 3, 0, QStringLiteral("2007/08/09"), twenty, 500, 1).isEmpty());
    EXPECT_EQ(fieldText(b.Lines[3].Kamoku), twenty);
    const TBillMessage m = WriteBackRow(b, 4, 0, QString(), twenty + QLatin1Char('x'), 1, 1);
    EXPECT_EQ(m.title, QStringLiteral("エラー"));
    EXPECT_EQ(m.text, QStringLiteral("摘要は全角20文字以内で入力してください"));
    EXPECT_EQ(b.Lines[4].Kubun, 0u);
    EXPECT_EQ(b.Lines[4].Tanka, 0);
}

TEST(BillLines, InsertDeleteAndPagesKeepWholePages)
{
    TBillState b = pageOfLines();
    InsertLine(b, 1);
    ASSERT_EQ(b.Lines.size(), 16u); // an untouched padding line made room
    EXPECT_EQ(b.Lines[1].Kubun, 0u);
    EXPECT_EQ(fieldText(b.Lines[1].Rsvday), QStringLiteral("2007/08/09"));
    EXPECT_EQ(fieldText(b.Lines[1].Room), QStringLiteral("101"));
    EXPECT_EQ(fieldText(b.Lines[2].Kamoku), QStringLiteral("ビール"));

    for (int i = 3; i < 16; ++i)
        b.Lines[size_t(i)] = line(1601102, 800, 1, "2007/08/09");
    InsertLine(b, 0); // the page is full: the last line moves to page 2
    ASSERT_EQ(b.Lines.size(), 32u);
    EXPECT_EQ(b.Lines[16].Kubun, 1601102u);

    DeleteLine(b, 0);
    DeleteLine(b, 0);
    EXPECT_EQ(b.Lines.size(), 32u); // page 2 stays, padded
    EXPECT_EQ(fieldText(b.Lines[1].Kamoku), QStringLiteral("ビール"));
    EXPECT_EQ(b.Lines[31].Kubun, 0u);

    GoToPage(b, 3);
    EXPECT_EQ(b.PageNo, 3);
    EXPECT_EQ(b.Lines.size(), 48u);
    EXPECT_EQ(fieldText(b.Lines[47].Name), QStringLiteral("山田"));
    GoToPage(b, 2);
    EXPECT_EQ(b.Lines.size(), 48u);

    b.NameEdit = QStringLiteral("鈴木");
    b.StayEdit = QStringLiteral("3");
    CopyHeaderToLines(b);
    for (const auto &l : b.Lines) {
        EXPECT_EQ(fieldText(l.Name), QStringLiteral("鈴木"));
        EXPECT_EQ(l.Stay, 3);
    }
}

TEST(BillClosing, ChecksInOrder)
{
    const struct {
        const char *name;
        const char *seisan;
        const char *total;
        const char *regday;
        const char *nameEdit;
        CloseStep step;
        const char *title;
        const char *text;
        const char *date;
    } cases[] = {
        {"complete", "2007/8/9", "100", "R1", "山田", CloseStep::Save, "", "", "2007/08/09"},
        {"open bill", "", "100", "R1", "山田", CloseStep::Save, "", "", ""},
        {"date first", "2007/02/30", "", "", "", CloseStep::StayOpen, "エラー", "清算日は正しい形式で入力してください",
         "2007/02/30"},
        {"no date text", "昨日", "100", "R1", "山田", CloseStep::StayOpen, "エラー",
         "清算日は正しい形式で入力してください", "昨日"},
        {"empty total", "", "", "", "", CloseStep::Discard, "注意", "合計金額がないので保存しませんでした", ""},
        {"zero total, no name", "", "0", "R1", " ", CloseStep::Discard, "注意", "合計金額がないので保存しませんでした", ""},
        {"zero total, a guest typed ahead", "", "0", "R1", "山田", CloseStep::AskKeep, "確認",
         "山田様の請求明細には合計金額がありません。\nこのまま保存しますか？（「いいえ」で入力した内容を保存せずに閉じます）", ""},
        {"no reservation number", "", "100", "", "山田", CloseStep::StayOpen, "エラー", "予約番号が整合しません", ""},
        {"no name", "", "-100", "R1", "", CloseStep::StayOpen, "エラー", "名前を入力してください", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState b;
        b.SeisanDay = QString::fromUtf8(c.seisan);
        b.SaNumEdit[RowTotal] = QString::fromUtf8(c.total);
        b.RegdayEdit = QString::fromUtf8(c.regday);
        b.NameEdit = QString::fromUtf8(c.nameEdit);
        const TCloseCheck check = CheckBeforeClose(b);
        EXPECT_EQ(check.step, c.step);
        EXPECT_EQ(check.message.title, QString::fromUtf8(c.title));
        EXPECT_EQ(check.message.text, QString::fromUtf8(c.text));
        EXPECT_EQ(b.SeisanDay, QString::fromUtf8(c.date));
    }
}

TEST(BillClosing, AGuestWithoutChargesIsKeptWhenAsked)
{
    TBillState b;
    b.SaNumEdit[RowTotal] = QStringLiteral("0");
    b.NameEdit = QStringLiteral("山田");
    b.RegdayEdit = QStringLiteral("a000000001");
    EXPECT_EQ(CheckBeforeClose(b).step, CloseStep::AskKeep);
    EXPECT_EQ(CheckBeforeClose(b, true).step, CloseStep::Save);
    // Kept, it still goes through the other checks.
    b.RegdayEdit.clear();
    EXPECT_EQ(CheckBeforeClose(b, true).step, CloseStep::StayOpen);
}

TEST(BillLines, ItemsWrittenWhileTheBathingTaxIsOffTakeTheExemptKey)
{
    TBillState b = pageOfLines();
    SetBathSwitch(b, false, settings(1, 1, 1));
    PickItem(b, 2, 0); // 大人宿泊料金, picked
    EXPECT_EQ(b.Lines[2].Kubun, 1601991u);
    EXPECT_TRUE(DropItem(b, 3, QStringLiteral("1601002,,大人2,9000"), QDate(2014, 3, 21))); // dropped
    EXPECT_EQ(b.Lines[3].Kubun, 1601992u);
    EXPECT_TRUE(WriteBackRow(b, 4, 1601801, QStringLiteral("2007/08/09"), QStringLiteral("日帰り"), 1, 1).isEmpty());
    EXPECT_EQ(b.Lines[4].Kubun, 1601993u); // typed
    PickItem(b, 5, 13); // ビール: no twin
    EXPECT_EQ(b.Lines[5].Kubun, 1601102u);
    // Switched on again, they count again.
    SetBathSwitch(b, true, settings(1, 1, 1));
    EXPECT_EQ(b.Lines[2].Kubun, 1601001u);
    EXPECT_EQ(b.Lines[4].Kubun, 1601801u);
}

TEST(BillLines, OnlyRealDatesAreStoredAndInOneForm)
{
    const struct {
        const char *typed;
        const char *stored; // null: refused
    } cases[] = {
        {"2026/12/11", "2026/12/11"}, {"2026-12-11", "2026/12/11"}, {"２０２６／１２／１１", "2026/12/11"},
        {"２０２６－１２－１１", "2026/12/11"}, {" 2026/1/5 ", "2026/01/05"}, {"20261211", "2026/12/11"},
        {"", ""},
        {"3/21", nullptr}, {"20140321x", nullptr}, {"2026/02/30", nullptr}, {"2026/13/01", nullptr},
        {"11/12/2026", nullptr}, {"0000/00/00", nullptr}, {"2026/12", nullptr}, {"明日", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        TBillState b = pageOfLines();
        const TReserveData before = b.Lines[2];
        const TBillMessage m =
            WriteBackRow(b, 2, 1601102, QString::fromUtf8(c.typed), QStringLiteral("ビール"), 800, 1);
        if (c.stored) {
            EXPECT_TRUE(m.isEmpty()) << m.text.toStdString();
            EXPECT_EQ(fieldText(b.Lines[2].Rsvday), QString::fromUtf8(c.stored));
        } else {
            EXPECT_EQ(m.title, QStringLiteral("エラー"));
            EXPECT_TRUE(m.text.contains(QStringLiteral("2026/12/11"))) << m.text.toStdString(); // names the form
            EXPECT_EQ(std::memcmp(&b.Lines[2], &before, sizeof before), 0);
        }
    }
    // While it is typed, half a date may stand; letters may not.
    EXPECT_TRUE(CheckCellEntry(1, QStringLiteral("2026/1")).isEmpty());
    EXPECT_TRUE(CheckCellEntry(1, QStringLiteral("２０２６")).isEmpty());
    EXPECT_FALSE(CheckCellEntry(1, QStringLiteral("3月")).isEmpty());
    EXPECT_FALSE(CheckCellEntry(1, QStringLiteral("2026/12/11/")).isEmpty());
}

// Month and day alone take the year nearest the stay's first night.
TEST(BillLines, ALineDateWithoutTheYearTakesTheStaysYear)
{
    const struct {
        const char *start;
        const char *typed;
        const char *stored;
    } cases[] = {
        {"2026/12/11", "12/12", "2026/12/12"}, {"2026/12/11", "１２／１２", "2026/12/12"},
        {"2026/12/30", "1/2", "2027/01/02"},   {"2027/01/01", "12/31", "2026/12/31"},
        {"2026/12/11", "3-1", "2027/03/01"},   {"2028/03/01", "2/29", "2028/02/29"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        TBillState b = pageOfLines();
        b.StartDate = QString::fromUtf8(c.start);
        EXPECT_TRUE(WriteBackRow(b, 2, 1601102, QString::fromUtf8(c.typed), QStringLiteral("ビール"), 800, 1).isEmpty());
        EXPECT_EQ(fieldText(b.Lines[2].Rsvday), QString::fromUtf8(c.stored));
    }
    TBillState b = pageOfLines();
    b.StartDate = QStringLiteral("2026/12/11");
    EXPECT_FALSE(WriteBackRow(b, 2, 1601102, QStringLiteral("2/30"), QStringLiteral("ビール"), 800, 1).isEmpty());
}

} // namespace
