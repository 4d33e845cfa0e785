#include "bill_window_rules.h"

#include "billing/kamoku_master.h"
#include "storage/library.h"
#include "storage/cp932.h"
#include "storage/text_entry.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

void resetSelector(TBillSelector &s, bool placeholder)
{
    s = TBillSelector{};
    if (placeholder) {
        s.Items[0] << BillPlaceholder;
        s.Items[1] << BillPlaceholder;
        s.ItemIndex = 0;
    }
}

void addItem(TBillSelector &s, const QString &japanese, const QString &english)
{
    s.Items[0] << japanese;
    s.Items[1] << english;
}

// The item-master entry a line key was taken from: its category and position.
bool masterPosition(uint32_t key, int *category, int *position)
{
    const int n = int(key % 1000);
    if (key >= 1601001 && key <= 1601100) {
        *category = 0;
        *position = n - 1;
    } else if (key >= 1601101 && key <= 1601800) {
        *category = 1;
        *position = n - 101;
    } else if (key >= 1601801 && key <= 1601989) {
        *category = 2;
        *position = n - 801;
    } else if (key / 1000 == 1106) {
        *category = 4;
        *position = n - 1;
    } else {
        return false;
    }
    return *position >= 0;
}

} // namespace

bool readHeaderByte(const QString &text, uint8_t *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    const uint v = t.toUInt(&ok);
    if (!ok || v > 255)
        return false;
    *value = uint8_t(v);
    return true;
}

TReserveData paddingLine(const TBillState &bill)
{
    TReserveData p{};
    setFieldText(p.Regday, bill.RegdayEdit);
    setFieldText(p.Name, bill.NameEdit);
    setFieldText(p.Plan, bill.PlanEdit);
    if (!bill.RoomEdit.isEmpty())
        setFieldText(p.Room, bill.RoomEdit);
    uint8_t v = 0;
    p.Stay = readHeaderByte(bill.StayEdit, &v) ? v : 0;
    p.Stayx = readHeaderByte(bill.StayxEdit, &v) ? v : 0;
    p.Decide = readHeaderByte(bill.DecideEdit, &v) ? v : 0;
    return p;
}

void padLines(TBillState &bill)
{
    const size_t page = BillPageLines;
    size_t want = size_t(std::max(bill.PageNo, 1)) * page;
    want = std::max(want, (bill.Lines.size() + page - 1) / page * page);
    if (bill.Lines.size() >= want)
        return;
    const TReserveData p = paddingLine(bill);
    bill.Lines.resize(want, p);
}

TBillMessage BuildSelectors(TBillState &bill, const KamokuLists &kamoku)
{
    resetSelector(bill.TekiyoCombo, false);
    resetSelector(bill.NebikiCombo, true);
    resetSelector(bill.CouponCombo, true);
    resetSelector(bill.SiharaiCombo, false);
    bill.TekiyoItems.clear();
    bill.NebikiItems.clear();
    bill.CouponItems.clear();
    bill.SiharaiItems.clear();

    for (const auto &category : kamoku) {
        for (const THojoKamoku &k : category) {
            const QString name = fieldText(k.Tekiyo);
            if (name.isEmpty())
                continue;
            const QString english = fieldText(k.ETekiyo);
            if (k.KamokuCode == 1601 && k.HojoCode < 900) {
                addItem(bill.TekiyoCombo, name, english);
                bill.TekiyoItems.push_back(k);
            } else if (k.KamokuCode == 1106) {
                addItem(bill.TekiyoCombo, name + QStringLiteral("(立替金)"), english);
                bill.TekiyoItems.push_back(k);
            } else if (k.KamokuCode == 1602) {
                addItem(bill.NebikiCombo, name, english);
                bill.NebikiItems.push_back(k);
            } else if (k.KamokuCode == 1105 || k.KamokuCode == 102) {
                addItem(bill.CouponCombo, name, english);
                bill.CouponItems.push_back(k);
            } else if (k.KamokuCode == 101) {
                addItem(bill.SiharaiCombo, name, english);
                bill.SiharaiItems.push_back(k);
            }
        }
    }

    bill.ReducedKeys = reducedRateKeys(kamoku);
    bill.KeisyouCombo = TBillSelector{};
    bill.KeisyouCombo.Items[0] = {QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("殿")};
    bill.KeisyouCombo.Items[1] = {QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Miss."),
                                  QStringLiteral("Messrs.")};
    bill.KeisyouCombo.ItemIndex = 0;

    if (bill.TekiyoItems.empty())
        return {QStringLiteral("注意"),
                QStringLiteral("摘要マスターが設定されていません\n摘要マスターを確認してください")};
    return {};
}

void SetServiceSwitch(TBillState &bill, bool on, const TBaseData &base)
{
    bill.CheckBox1 = on;
    bill.SvcRate = on ? base.Service : 0;
}

uint32_t bathSwitchedKey(uint32_t key, bool on)
{
    static constexpr std::array<std::pair<uint32_t, uint32_t>, 4> twins = {{
        {1601001, 1601991},
        {1601002, 1601992},
        {1601801, 1601993},
        {1601802, 1601994},
    }};
    for (const auto &[taxed, exempt] : twins) {
        if (!on && key == taxed)
            return exempt;
        if (on && key == exempt)
            return taxed;
    }
    return key;
}

void SetBathSwitch(TBillState &bill, bool on, const TBaseData &base)
{
    bill.CheckBox2 = on;
    bill.BathRate = on ? base.Nyutouzei : 0;
    for (TReserveData &l : bill.Lines)
        l.Kubun = bathSwitchedKey(l.Kubun, on);
}

bool languageSwitchAsks(const TBillState &bill) { return bill.DecideEdit.trimmed() != QStringLiteral("2"); }

namespace {
// The item-master entry a line key was taken from, if it is still there.
const THojoKamoku *masterItem(const KamokuLists &kamoku, uint32_t key)
{
    int category = 0, position = 0;
    if (!masterPosition(key, &category, &position))
        return nullptr;
    const auto &list = kamoku[size_t(category)];
    return size_t(position) < list.size() ? &list[size_t(position)] : nullptr;
}
} // namespace

bool linesInEnglish(const TBillState &bill, const KamokuLists &kamoku)
{
    bool english = false;
    for (const TReserveData &l : bill.Lines) {
        const THojoKamoku *item = masterItem(kamoku, l.Kubun);
        if (!item)
            continue;
        const THojoKamoku &k = *item;
        const QByteArray text = fieldBytes(l.Kamoku);
        if (fieldBytes(k.Tekiyo) == fieldBytes(k.ETekiyo))
            continue;
        if (text == fieldBytes(k.Tekiyo))
            return false;
        english = english || text == fieldBytes(k.ETekiyo);
    }
    return english;
}

void SwitchLanguage(TBillState &bill, const KamokuLists &kamoku, bool onlyMasterNames)
{
    bill.LangFlag = bill.LangFlag ? 0 : 1;
    // An editable drop-down shows its selected item in the new language.
    if (bill.SiharaiCombo.ItemIndex >= 0)
        bill.SiharaiCombo.EditText = bill.SiharaiCombo.text(bill.LangFlag);

    for (TReserveData &l : bill.Lines) {
        const THojoKamoku *item = masterItem(kamoku, l.Kubun);
        if (!item)
            continue;
        const THojoKamoku &k = *item;
        const QByteArray name = bill.LangFlag ? fieldBytes(k.ETekiyo) : fieldBytes(k.Tekiyo);
        const QByteArray oldName = bill.LangFlag ? fieldBytes(k.Tekiyo) : fieldBytes(k.ETekiyo);
        if (onlyMasterNames && fieldBytes(l.Kamoku) != oldName)
            continue;
        // A blank entry has no name to offer: the line keeps its own text.
        if (!name.isEmpty())
            setFieldBytes(l.Kamoku, name);
    }
}

int cardItemIndex(const TBillState &bill, const QString &text)
{
    const TBillSelector &s = bill.SiharaiCombo;
    if (text.isEmpty())
        return -1;
    if (s.ItemIndex >= 0 && s.text(bill.LangFlag) == text)
        return s.ItemIndex;
    int i = int(s.shown(bill.LangFlag).indexOf(text));
    if (i < 0)
        i = int(s.shown(bill.LangFlag ? 0 : 1).indexOf(text));
    return i >= 0 && size_t(i) < bill.SiharaiItems.size() ? i : -1;
}

void SetCardKind(TBillState &bill, const QString &text)
{
    if (text == bill.SiharaiCombo.EditText)
        return;
    bill.SiharaiCombo.ItemIndex = cardItemIndex(bill, text);
    bill.SiharaiCombo.EditText = text;
    if (text.isEmpty()) {
        bill.SaNumEdit[8] = QStringLiteral("0");
        return;
    }
    int64_t paid = 0;
    if (readAmount(bill.SaNumEdit[8], &paid) && paid == 0)
        bill.SaNumEdit[8] = bill.SaNumEdit[RowBalance];
}

namespace {

bool validLine(const TBillState &bill, int index) { return index >= 0 && size_t(index) < bill.Lines.size(); }

// A line written while the bathing tax is off takes the exempt key, as the
// lines had when the switch went off: the statement must not count the guest.
uint32_t keyUnderBathSwitch(const TBillState &bill, uint32_t key)
{
    return bill.CheckBox2 ? key : bathSwitchedKey(key, false);
}

// A padding line nobody has written into.
bool isBlankLine(const TReserveData &l)
{
    return l.Kubun == 0 && l.Tanka == 0 && l.Suryou == 0 && l.Kamoku[0] == 0 && l.Rsvday[0] == 0;
}

} // namespace

TBillMessage WriteBackRow(TBillState &bill, int lineIndex, uint32_t key, const QString &date, const QString &text,
                          int32_t tanka, int32_t suryou)
{
    if (const TBillMessage m = CheckCellEntry(2, text); !m.isEmpty())
        return m;
    QString day;
    if (!normalizeLineDate(date, &day, QDate::fromString(bill.StartDate, QStringLiteral("yyyy/MM/dd"))))
        return {QStringLiteral("エラー"), LineDateFormatMessage};
    if (!validLine(bill, lineIndex))
        return {};
    TReserveData &l = bill.Lines[size_t(lineIndex)];
    l.Kubun = keyUnderBathSwitch(bill, key);
    setFieldText(l.Rsvday, day);
    setFieldText(l.Kamoku, text);
    l.Tanka = tanka;
    l.Suryou = suryou;
    return {};
}

namespace {

// A cell number: empty (or a lone minus sign being typed) is 0.
bool readCellNumber(const QString &text, int64_t *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QStringLiteral("-")) {
        *value = 0;
        return true;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || !fitsAmount(v))
        return false;
    *value = v;
    return true;
}

} // namespace

TBillMessage CheckCellEntry(int column, const QString &text)
{
    const QString error = QStringLiteral("エラー");
    switch (column) {
    case 1: {
        // While it is typed: digits and separators only, in either width.
        static const QRegularExpression typing(QStringLiteral("^[0-9/\\- ]{0,10}$"));
        if (!typing.match(text.normalized(QString::NormalizationForm_KC)).hasMatch())
            return {error, LineDateFormatMessage};
        return {};
    }
    case 2:
        if (const QString m = textentry::refusalMessage(QStringLiteral("摘要"), text); !m.isEmpty())
            return {error, m};
        if (cp932::byteLength(text) > TypedLineTextBytes)
            return {error, QStringLiteral("摘要は全角20文字以内で入力してください")};
        return {};
    case 3:
    case 4: {
        int64_t v = 0;
        if (readCellNumber(text, &v))
            return {};
        return {error, QStringLiteral("%1は%2の整数で入力してください")
                           .arg(column == 3 ? QStringLiteral("単価") : QStringLiteral("数量"), amountRangeText())};
    }
    default:
        return {};
    }
}

TBillMessage WriteBackCells(TBillState &bill, int lineIndex, const QString &key, const QString &date,
                            const QString &text, const QString &tanka, const QString &suryou)
{
    int64_t price = 0, quantity = 0, amount = 0;
    for (int column : {3, 4})
        if (const TBillMessage m = CheckCellEntry(column, column == 3 ? tanka : suryou); !m.isEmpty())
            return m;
    readCellNumber(tanka, &price);
    readCellNumber(suryou, &quantity);
    if (!checkedMul(price, quantity, &amount))
        return {QStringLiteral("エラー"), QStringLiteral("明細の金額（単価×数量）は%1でなければなりません")
                                           .arg(amountRangeText())};
    return WriteBackRow(bill, lineIndex, key.trimmed().toUInt(), date, text, int32_t(price), int32_t(quantity));
}

void PickItem(TBillState &bill, int lineIndex, int itemIndex)
{
    if (!validLine(bill, lineIndex) || itemIndex < 0 || size_t(itemIndex) >= bill.TekiyoItems.size())
        return;
    const THojoKamoku &k = bill.TekiyoItems[size_t(itemIndex)];
    TReserveData &l = bill.Lines[size_t(lineIndex)];
    // The line before it, not the grid's heading row, gives the first line of a page its date.
    if (l.Rsvday[0] == 0 && lineIndex > 0)
        std::memcpy(l.Rsvday, bill.Lines[size_t(lineIndex) - 1].Rsvday, sizeof l.Rsvday);
    l.Kubun = keyUnderBathSwitch(bill, itemKey(k));
    const bool advance = k.KamokuCode == 1106;
    QString name = bill.LangFlag ? fieldText(k.ETekiyo) : fieldText(k.Tekiyo);
    if (advance)
        name += bill.LangFlag ? QStringLiteral("(Advance)") : QStringLiteral("(立替金)");
    setFieldText(l.Kamoku, name);
    l.Tanka = k.Tanka;
    l.Suryou = 1;
}

bool DropItem(TBillState &bill, int lineIndex, const QString &dragText, const QDate &today)
{
    DraggedItem item;
    if (!parseItemDragText(dragText, &item) || !validLine(bill, lineIndex))
        return false;
    TReserveData &l = bill.Lines[size_t(lineIndex)];
    if (l.Rsvday[0] == 0) {
        if (lineIndex > 0 && bill.Lines[size_t(lineIndex) - 1].Rsvday[0] != 0)
            std::memcpy(l.Rsvday, bill.Lines[size_t(lineIndex) - 1].Rsvday, sizeof l.Rsvday);
        else
            setFieldText(l.Rsvday, today.toString(QStringLiteral("yyyy/MM/dd")));
    }
    l.Kubun = keyUnderBathSwitch(bill, item.key);
    setFieldText(l.Kamoku, item.name);
    l.Tanka = item.price;
    l.Suryou = 0;
    return true;
}

void InsertLine(TBillState &bill, int lineIndex)
{
    if (!validLine(bill, lineIndex))
        return;
    const TReserveData &at = bill.Lines[size_t(lineIndex)];
    TReserveData n{};
    copyBillHeader(n, at);
    std::memcpy(n.Rsvday, at.Rsvday, sizeof n.Rsvday);
    std::memcpy(n.Room, at.Room, sizeof n.Room);
    bill.Lines.insert(bill.Lines.begin() + lineIndex, n);
    // An untouched padding line at the end makes room; otherwise a new page is padded.
    if (bill.Lines.size() % BillPageLines != 0 && isBlankLine(bill.Lines.back()))
        bill.Lines.pop_back();
    padLines(bill);
}

void DeleteLine(TBillState &bill, int lineIndex)
{
    if (!validLine(bill, lineIndex))
        return;
    bill.Lines.erase(bill.Lines.begin() + lineIndex);
    padLines(bill);
}

void GoToPage(TBillState &bill, int page)
{
    bill.PageNo = std::max(page, 1);
    padLines(bill);
}

void CopyHeaderToLines(TBillState &bill)
{
    const TReserveData h = paddingLine(bill);
    for (TReserveData &l : bill.Lines)
        copyBillHeader(l, h);
}

const QString LineDateFormatMessage =
    QStringLiteral("日付は 2026/12/11 のように、年（4桁）/月/日の形で正しい日付を入力してください");

bool normalizeLineDate(const QString &typed, QString *date, const QDate &stay)
{
    static const QRegularExpression separated(QStringLiteral("^(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
    static const QRegularExpression digits(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression monthDay(QStringLiteral("^(\\d{1,2})[/-](\\d{1,2})$"));
    // Full-width digits and separators read as their ASCII forms.
    const QString t = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (t.isEmpty()) {
        date->clear();
        return true;
    }
    QRegularExpressionMatch m = separated.match(t);
    if (!m.hasMatch())
        m = digits.match(t);
    QDate d;
    if (m.hasMatch()) {
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else if (m = monthDay.match(t); m.hasMatch() && stay.isValid()) {
        // Month and day alone: the year that puts the date nearest the stay
        // (12/31 typed on a stay from January 1st is the year before).
        for (int year = stay.year() - 1; year <= stay.year() + 1; ++year) {
            const QDate c(year, m.captured(1).toInt(), m.captured(2).toInt());
            if (c.isValid() && (!d.isValid() || std::abs(c.daysTo(stay)) < std::abs(d.daysTo(stay))))
                d = c;
        }
    }
    if (!d.isValid() || d.year() < 1900)
        return false;
    *date = d.toString(QStringLiteral("yyyy/MM/dd"));
    return true;
}

bool normalizeSettlementDate(const QString &typed, QString *date)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    const QString t = typed.trimmed();
    if (t.isEmpty()) {
        date->clear();
        return true;
    }
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return false;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return false;
    *date = d.toString(QStringLiteral("yyyy/MM/dd"));
    return true;
}

TCloseCheck CheckBeforeClose(TBillState &bill, bool keep)
{
    const QString error = QStringLiteral("エラー");
    QString date;
    if (!normalizeSettlementDate(bill.SeisanDay, &date))
        return {CloseStep::StayOpen, {error, QStringLiteral("清算日は正しい形式で入力してください")}};
    bill.SeisanDay = date;
    const QString total = bill.SaNumEdit[RowTotal].trimmed();
    if (total.isEmpty() || total == QStringLiteral("0")) {
        // A guest typed in ahead of the stay has no charges yet, and is kept.
        if (bill.NameEdit.trimmed().isEmpty())
            return {CloseStep::Discard,
                    {QStringLiteral("注意"), QStringLiteral("合計金額がないので保存しませんでした")}};
        if (!keep)
            return {CloseStep::AskKeep,
                    {QStringLiteral("確認"),
                     QStringLiteral("%1様の請求明細には合計金額がありません。\n"
                                    "このまま保存しますか？（「いいえ」で入力した内容を保存せずに閉じます）")
                         .arg(bill.NameEdit.trimmed())}};
    }
    if (bill.RegdayEdit.isEmpty())
        return {CloseStep::StayOpen, {error, QStringLiteral("予約番号が整合しません")}};
    // A name of spaces only names nobody.
    if (bill.NameEdit.trimmed().isEmpty())
        return {CloseStep::StayOpen, {error, QStringLiteral("名前を入力してください")}};
    return {};
}
