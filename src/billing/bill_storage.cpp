#include "bill_storage.h"

#include "billing/bill_window_rules.h"
#include "billing/lodging_tax_lines.h"
#include "storage/cp932.h"
#include "storage/text_entry.h"

#include <QDate>

#include <algorithm>
#include <cstring>

namespace {

const QString ErrorTitle = QStringLiteral("エラー");

bool isFirstStayKey(uint32_t key) { return key == 1601001 || key == 1601991; }
bool isExemptKey(uint32_t key) { return key >= 1601991 && key <= 1601994; }

TReserveData roomHeading(const TReserveData &r)
{
    TReserveData h{};
    copyBillHeader(h, r);
    std::memcpy(h.Room, r.Room, sizeof h.Room);
    const QByteArray room = fieldBytes(r.Room);
    if (!room.isEmpty())
        setFieldBytes(h.Kamoku, room + cp932::encode(QStringLiteral(" ご利用分")));
    return h;
}

// A synthetic selector entry for a stored key the item master no longer has,
// so that the stored amount is neither lost nor saved under another item.
THojoKamoku orphanEntry(uint32_t key, const QString &name)
{
    THojoKamoku k{};
    k.KamokuCode = key / 1000;
    k.HojoCode = key % 1000;
    setFieldText(k.Tekiyo, name);
    setFieldText(k.ETekiyo, name);
    return k;
}

// Index (from 1, after the placeholder) of the entry with this key, adding it when missing.
int selectorIndexForKey(TBillSelector &selector, RecordList<THojoKamoku> &items, uint32_t key,
                        const QString &storedText)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (itemKey(items[i]) == key)
            return int(i) + 1;
    items.push_back(orphanEntry(key, storedText));
    selector.Items[0] << storedText;
    selector.Items[1] << storedText;
    return int(items.size());
}

// The header numbers read as the window reads them.
bool readByte(const QString &text, uint8_t *value) { return readHeaderByte(text, value); }

bool validSettlementDate(const QString &text)
{
    if (text.isEmpty())
        return true;
    return text.size() == 10 && QDate::fromString(text, QStringLiteral("yyyy/MM/dd")).isValid();
}

// The texts of the bill as they go into the records: each must be stored
// exactly (no "?" for a character CP932 lacks, nothing cut). A name of
// spaces only is no name.
TBillMessage checkStoredTexts(const TBillState &bill)
{
    if (bill.NameEdit.trimmed().isEmpty())
        return {ErrorTitle, QStringLiteral("名前を入力してください")};
    const struct {
        const char *field;
        const QString &text;
        int bytes;
    } header[] = {
        {"予約番号", bill.RegdayEdit, int(sizeof(TReserveData::Regday)) - 1},
        {"清算日", bill.SeisanDay, int(sizeof(TReserveData::Seisan)) - 1},
        {"名前", bill.NameEdit, int(sizeof(TReserveData::Name)) - 1},
        {"プラン", bill.PlanEdit, int(sizeof(TReserveData::Plan)) - 1},
        {"部屋", bill.RoomEdit, int(sizeof(TReserveData::Room)) - 1},
    };
    for (const auto &h : header)
        if (const QString m = textentry::entryError(QString::fromUtf8(h.field), h.text, h.bytes); !m.isEmpty())
            return {ErrorTitle, m};
    // Labels of the generated lines and the card kind.
    const QString generated[] = {bill.GEdit[RowService], bill.NebikiCombo.text(bill.LangFlag)};
    for (const QString &text : generated)
        if (const QString m = textentry::entryError(QStringLiteral("摘要「%1」").arg(text), text,
                                                    int(sizeof(TReserveData::Kamoku)) - 1);
            !m.isEmpty())
            return {ErrorTitle, m};
    return {};
}

} // namespace

QString stayLabelText(const QString &date)
{
    const QDate d = QDate::fromString(date, QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid())
        return {};
    static const QString weekdays = QStringLiteral("月火水木金土日");
    return d.toString(QStringLiteral("yyyy年MM月dd日")) + QLatin1Char('(') + weekdays.at(d.dayOfWeek() - 1)
        + QStringLiteral(")から");
}

void LoadBill(TBillState &bill, const AppData &data)
{
    bill.Lines.clear();
    bill.PageNo = 1;
    for (QString &a : bill.SaNumEdit)
        a.clear();
    bill.NebikiCombo.ItemIndex = 0;
    bill.CouponCombo.ItemIndex = 0;
    bill.SiharaiCombo.ItemIndex = -1;
    bill.SiharaiCombo.EditText.clear();
    bill.CheckBox2 = true;
    bill.LodgingCheck = true;
    bill.LineMeals.clear();
    bill.LodgingExempt = 0;
    bill.LodgingReason.clear();
    bill.RoomsDiffer = false;
    bill.HasServiceLine = false;
    bill.Seisan = bill.Regday = bill.StartDate = bill.Name = bill.Plan = bill.Room = QString();
    bill.Stay = bill.Stayx = bill.Decide = 0;

    bool first = true;
    bool exempt = false;
    int blocks = 0; // runs of stay lines in one room
    TReserveData firstStay{};
    QByteArray room;
    for (const TReserveData &r : data.ReserveList) {
        if (r.MeiNo != bill.BillNo)
            continue;
        if (first) {
            first = false;
            bill.Seisan = fieldText(r.Seisan);
            bill.Regday = fieldText(r.Regday);
            bill.StartDate = fieldText(r.Rsvday);
            bill.Name = fieldText(r.Name);
            bill.Plan = fieldText(r.Plan);
            bill.Stay = r.Stay;
            bill.Stayx = r.Stayx;
            bill.Decide = r.Decide;
            room = fieldBytes(r.Room);
        } else if (fieldBytes(r.Room) != room) {
            room.clear();
            bill.RoomsDiffer = true;
        }

        const uint32_t account = r.Kubun / 1000;
        if (account == 102 || account == 1105) {
            bill.SaNumEdit[RowDeposit] = QString::number(r.Tanka);
            bill.CouponCombo.ItemIndex =
                selectorIndexForKey(bill.CouponCombo, bill.CouponItems, r.Kubun, fieldText(r.Kamoku));
        } else if (account == 1602) {
            bill.SaNumEdit[RowDiscount] = QString::number(r.Tanka);
            bill.NebikiCombo.ItemIndex =
                selectorIndexForKey(bill.NebikiCombo, bill.NebikiItems, r.Kubun, fieldText(r.Kamoku));
        } else if (r.Kubun == ServiceLineKey) {
            bill.SaNumEdit[RowService] = QString::number(r.Tanka);
            bill.HasServiceLine = true;
        } else if (isLodgingNote(r)) {
            int64_t nights = 0;
            if (readLodgingExemptNote(r, &nights, &bill.LodgingReason))
                bill.LodgingExempt = int(std::min<int64_t>(nights, INT32_MAX));
            else if (!bill.Lines.empty())
                SetLineMeal(bill, int(bill.Lines.size()) - 1, std::max(0, r.Tanka)); // of the line it follows
        } else if (r.Kubun == LodgingTaxKey) {
            // Worked out again from the stay lines; the line only tells an exempted bill.
            if (marksLodgingExempt(r))
                bill.LodgingCheck = false;
        } else {
            // A stay line in another room than the stay line before it
            // starts a new room block; the first block gets its heading once
            // a second one appears. The nights of one room are one block: a
            // heading is never stored, so one between them would appear only
            // once the bill has been saved and opened again.
            if (isFirstStayKey(r.Kubun)) {
                if (blocks == 0) {
                    blocks = 1;
                    firstStay = r;
                } else if (fieldBytes(r.Room) != fieldBytes(firstStay.Room)) {
                    if (++blocks == 2) {
                        bill.Lines.insert(bill.Lines.begin(), roomHeading(firstStay));
                        if (!bill.LineMeals.empty())
                            bill.LineMeals.insert(bill.LineMeals.begin(), -1);
                    }
                    bill.Lines.push_back(roomHeading(r));
                    firstStay = r;
                }
            }
            if (isExemptKey(r.Kubun))
                exempt = true;
            bill.Lines.push_back(r);
        }
    }
    bill.Room = cp932::decode(room);

    // The card receivable of the bill.
    for (const TUrikakeData &u : data.UrikakeList) {
        if (u.MeiNo != bill.BillNo)
            continue;
        const uint32_t number = u.Card % 1000;
        int index = -1;
        for (size_t i = 0; i < bill.SiharaiItems.size(); ++i)
            if (bill.SiharaiItems[i].HojoCode == number) {
                index = int(i);
                break;
            }
        if (index < 0) {
            // A card company since removed from the master: keep the receivable's kind.
            const QString name = QStringLiteral("カード%1").arg(u.Card);
            bill.SiharaiItems.push_back(orphanEntry(101000 + number, name));
            bill.SiharaiCombo.Items[0] << name;
            bill.SiharaiCombo.Items[1] << name;
            index = int(bill.SiharaiItems.size()) - 1;
        }
        bill.SiharaiCombo.ItemIndex = index;
        bill.SiharaiCombo.EditText = bill.SiharaiCombo.text(bill.LangFlag);
        bill.SaNumEdit[8] = QString::number(u.Goukei);
        break;
    }

    bill.MeiNoEdit = QString::number(bill.BillNo);
    bill.SeisanDay = bill.Seisan;
    bill.RegdayEdit = bill.Regday;
    bill.NameEdit = bill.Name;
    bill.KeisyouCombo.ItemIndex = 0;
    bill.PlanEdit = bill.Plan;
    bill.StayLabel = stayLabelText(bill.StartDate);
    bill.StayEdit = QString::number(bill.Stay);
    bill.StayxEdit = QString::number(bill.Stayx);
    bill.RoomEdit = bill.Room;
    bill.RoomEnabled = !bill.RoomsDiffer;
    bill.DecideEdit = QString::number(bill.Decide);

    padLines(bill);

    // An exempt line means the bathing tax was switched off for this bill:
    // every adult line of it is exempt, not only those loaded before it.
    if (exempt)
        SetBathSwitch(bill, false, data.BaseData);
    // The settings in force on the bill's own date, not today's.
    const TRatesInForce rates = data.Money.at(billSettingsDate(bill), data.BaseData);
    const bool service = rates.Service >= 1 && (bill.Seisan.isEmpty() || bill.HasServiceLine);
    SetServiceSwitch(bill, service, data.BaseData);
    bill.SvcRate = bill.CheckBox1 ? rates.Service : 0;
    bill.BathRate = bill.CheckBox2 ? rates.Nyutouzei : 0;
}

TBillMessage OpenBill(TBillState &bill, const AppData &data, uint32_t billNo)
{
    bill = TBillState{};
    const TBillMessage notice = BuildSelectors(bill, data.KamokuList);
    bill.TadashiCheck = !fieldBytes(data.BaseData.Tadashi).isEmpty();
    bill.BillNo = billNo;
    LoadBill(bill, data);
    // The honorific and the proviso as the bill's last receipt printed them.
    // A record that cannot be read leaves them as they are; printing a
    // receipt then says why.
    ReceiptIssues issues;
    if (issues.load(data, nullptr)) {
        const QList<TReceiptIssue> printed = issues.of(billNo);
        if (!printed.isEmpty()) {
            const TReceiptIssue &last = printed.constLast();
            if (last.Keisyou < int(bill.KeisyouCombo.Items[last.Lang ? 1 : 0].size()))
                bill.KeisyouCombo.ItemIndex = last.Keisyou;
            bill.TadashiCheck = last.Tadashi && bill.TadashiCheck;
        }
    }
    // A bill receipted in English opens in English, its lines as they were
    // saved (and printed); only lines still bearing the item's Japanese name
    // take its English one. A bill not yet receipted opens in the language
    // its lines were saved in.
    if (bill.Decide == 2 || (bill.Decide == 0 && linesInEnglish(bill, data.KamokuList)))
        SwitchLanguage(bill, data.KamokuList, true);
    const TBillMessage totals = CalcTotals(bill, data.BaseData, data.Money);
    return notice.isEmpty() ? totals : notice;
}

TBillMessage SaveBill(const TBillState &bill, AppData &data, const TLibrary &lib, const TReceiptIssue *issue)
{
    // Everything is checked before anything changes.
    if (!validSettlementDate(bill.SeisanDay))
        return {ErrorTitle, QStringLiteral("清算日は正しい形式で入力してください")};
    uint8_t stay = 0, stayx = 0, decide = 0;
    if (!readByte(bill.StayEdit, &stay))
        return {ErrorTitle, QStringLiteral("泊数は数字で入力してください")};
    readByte(bill.StayxEdit, &stayx);
    readByte(bill.DecideEdit, &decide);

    int64_t service = 0, discount = 0, deposit = 0, card = 0;
    const bool hasDiscount = bill.NebikiCombo.ItemIndex > 0;
    const bool hasDeposit = bill.CouponCombo.ItemIndex > 0;
    const QString cardText = bill.SiharaiCombo.EditText;
    if (hasDiscount && !readAmount(bill.SaNumEdit[RowDiscount], &discount))
        return amountFieldMessage(QStringLiteral("値引きの金額"), bill.SaNumEdit[RowDiscount]);
    if (hasDeposit && !readAmount(bill.SaNumEdit[RowDeposit], &deposit))
        return amountFieldMessage(QStringLiteral("ご予約金の金額"), bill.SaNumEdit[RowDeposit]);
    if (const TBillMessage m = checkStoredTexts(bill); !m.isEmpty())
        return m;
    // A line without an item is never stored; one that carries an amount
    // would leave the stored bill short of the total shown and printed.
    for (size_t i = 0; i < bill.Lines.size(); ++i) {
        const TReserveData &l = bill.Lines[i];
        if (l.Kubun == 0 && int64_t(l.Tanka) * l.Suryou != 0)
            return {ErrorTitle, QStringLiteral("%1ページ %2行目の明細は摘要が一覧から選ばれていないため保存できません\n"
                                               "摘要を一覧から選ぶか、単価か数量を消してください")
                                    .arg(i / BillPageLines + 1)
                                    .arg(i % BillPageLines + 1)};
    }
    int cardIndex = -1;
    if (!cardText.isEmpty()) {
        if (!readAmount(bill.SaNumEdit[8], &card))
            return amountFieldMessage(QStringLiteral("カードでのお支払額"), bill.SaNumEdit[8]);
        cardIndex = cardItemIndex(bill, cardText);
        if (cardIndex < 0)
            return {ErrorTitle,
                    QStringLiteral("お支払カード種別「%1」は摘要マスターのカードにありません\n"
                                   "一覧からカード種別を選んでください")
                        .arg(cardText)};
    }
    // The service line is stored as the totals stand for the lines being saved.
    TBillState totals = bill;
    if (const TBillMessage m = CalcTotals(totals, data.BaseData, data.Money); !m.isEmpty())
        return m;
    readAmount(totals.SaNumEdit[RowService], &service);
    if (hasDiscount && size_t(bill.NebikiCombo.ItemIndex) > bill.NebikiItems.size())
        return {ErrorTitle, QStringLiteral("値引きの項目が摘要マスターにありません")};
    if (hasDeposit && size_t(bill.CouponCombo.ItemIndex) > bill.CouponItems.size())
        return {ErrorTitle, QStringLiteral("ご予約金の項目が摘要マスターにありません")};

    // The record of receipts with this issue added, read before anything changes.
    ReceiptIssues issues;
    if (issue) {
        QString why;
        if (!issues.load(data, &why))
            return {ErrorTitle, why};
        issues.add(*issue);
    }

    // The receivable: one entry for the bill while a card kind is shown.
    RecordList<TUrikakeData> urikake;
    urikake.reserve(data.UrikakeList.size() + 1);
    bool updated = false;
    for (const TUrikakeData &u : data.UrikakeList) {
        if (u.MeiNo != bill.BillNo) {
            urikake.push_back(u);
        } else if (cardIndex >= 0 && !updated) {
            urikake.push_back(u);
            updated = true;
        }
    }
    if (cardIndex >= 0) {
        TUrikakeData *u = nullptr;
        for (TUrikakeData &e : urikake)
            if (e.MeiNo == bill.BillNo)
                u = &e;
        if (!u) {
            urikake.push_back(TUrikakeData{});
            u = &urikake.back();
        }
        u->MeiNo = bill.BillNo;
        setFieldText(u->Seisan, bill.SeisanDay);
        setFieldText(u->Name, bill.NameEdit);
        u->Card = 101000 + bill.SiharaiItems[size_t(cardIndex)].HojoCode;
        u->Goukei = int32_t(card);
    }

    // The bill's records: its lines, each followed by its own meal part when
    // it has one, then the generated service, discount and deposit lines.
    std::vector<int32_t> meals(bill.Lines.size(), -1);
    for (size_t i = 0; i < bill.Lines.size(); ++i) {
        const int32_t meal = LineMeal(bill, int(i));
        // A meal part the item has too is kept, so that changing the item later leaves the bill as it was.
        if (meal >= 0 && data.Money.Lodging.bearsTax(bill.Lines[i].Kubun)
            && (meal != 0 || data.Money.Lodging.mealPart(bill.Lines[i].Kubun) != 0))
            meals[i] = meal;
    }
    RecordList<TReserveData> lines = withLodgingNotes(bill.Lines, meals);
    // Dated with the stay's first day; a bill begun in the window has none
    // loaded yet, and takes its first line's, as it will once opened again.
    QByteArray start = cp932::encode(bill.StartDate);
    for (std::size_t i = 0; start.isEmpty() && i < lines.size(); ++i)
        if (lines[i].Kubun != 0)
            start = fieldBytes(lines[i].Rsvday);
    auto generated = [&](uint32_t key, const QString &text, int64_t amount) {
        TReserveData g{};
        setFieldBytes(g.Rsvday, start);
        g.Kubun = key;
        setFieldText(g.Kamoku, text);
        g.Tanka = int32_t(amount);
        g.Suryou = 1;
        lines.push_back(g);
    };
    if (bill.CheckBox1)
        generated(ServiceLineKey, totals.GEdit[RowService], service);
    if (hasDiscount)
        generated(itemKey(bill.NebikiItems[size_t(bill.NebikiCombo.ItemIndex - 1)]),
                  bill.NebikiCombo.text(bill.LangFlag), discount);
    if (hasDeposit) {
        const THojoKamoku &k = bill.CouponItems[size_t(bill.CouponCombo.ItemIndex - 1)];
        generated(itemKey(k), fieldText(k.Tekiyo), deposit);
    }
    // The accommodation tax as the totals stand, or the mark of an exempted bill.
    if (!bill.LodgingCheck)
        generated(LodgingTaxKey, lodgingExemptText(data.Money.Lodging, bill.LangFlag != 0), 0);
    else if (totals.LodgingTax != 0)
        generated(LodgingTaxKey, totals.LodgingText, totals.LodgingTax);
    if (bill.LodgingExempt > 0 || (!bill.LodgingCheck && !bill.LodgingReason.isEmpty())) {
        TReserveData note = lodgingExemptNote(bill.LodgingExempt, bill.LodgingReason);
        setFieldBytes(note.Rsvday, start);
        lines.push_back(note);
    }

    for (TReserveData &l : lines) {
        l.MeiNo = bill.BillNo;
        setFieldText(l.Seisan, bill.SeisanDay);
        setFieldText(l.Regday, bill.RegdayEdit);
        setFieldText(l.Name, bill.NameEdit);
        setFieldText(l.Plan, bill.PlanEdit);
        if (!bill.RoomEdit.isEmpty())
            setFieldText(l.Room, bill.RoomEdit);
        l.Stay = stay;
        l.Stayx = stayx;
        l.Decide = decide;
    }

    // Every other bill as it stands now (not as it was when this one was
    // opened: the list may have gained reservations meanwhile), then this
    // bill. Made in the list itself, not in a copy of it: a copy of every
    // other bill's lines is hundreds of megabytes at a million lines, more
    // than the clerk should wait for. The bill's old lines are kept aside
    // with their places, so that a save that changed nothing puts them back.
    RecordList<TReserveData> &list = data.ReserveList.edit();
    std::vector<std::pair<size_t, TReserveData>> old;
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].MeiNo == bill.BillNo) {
            old.emplace_back(i, list[i]);
        } else {
            if (kept != i)
                list[kept] = list[i];
            ++kept;
        }
    }
    list.resize(kept);
    for (const TReserveData &l : lines)
        if (l.Kubun != 0)
            list.push_back(l);
    auto putBack = [&] {
        list.resize(kept + old.size());
        size_t from = kept, to = list.size();
        for (size_t k = old.size(); k-- > 0;) {
            while (to > old[k].first + 1)
                list[--to] = list[--from];
            list[--to] = old[k].second;
        }
    };

    // Both files or neither, across a crash too (one commit).
    const QString keptMessage = QStringLiteral("\n請求書の内容は画面に残っています。");
    QString error;
    const std::vector<uint32_t> saved{bill.BillNo};
    switch (writeBillFilesWithReceipts(data, data.ReserveList, urikake, lib, &error, issues, &saved)) {
    case CommitResult::Done:
        break;
    case CommitResult::Unchanged:
        putBack();
        return {ErrorTitle, error + keptMessage};
    case CommitResult::DoneUnconfirmed:
    case CommitResult::Pending:
        // The files hold (or the next start completes) the saved bill: the lists follow them.
        data.UrikakeList.swap(urikake);
        return {ErrorTitle, error};
    }
    data.UrikakeList.swap(urikake);
    return {};
}
