#include "bill_window_rules.h"

#include "storage/cp932.h"

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

void SwitchLanguage(TBillState &bill, const KamokuLists &kamoku)
{
    bill.LangFlag = bill.LangFlag ? 0 : 1;
    // An editable drop-down shows its selected item in the new language.
    if (bill.SiharaiCombo.ItemIndex >= 0)
        bill.SiharaiCombo.EditText = bill.SiharaiCombo.text(bill.LangFlag);

    for (TReserveData &l : bill.Lines) {
        int category = 0, position = 0;
        if (!masterPosition(l.Kubun, &category, &position))
            continue;
        const auto &list = kamoku[size_t(category)];
        if (size_t(position) >= list.size())
            continue;
        const THojoKamoku &k = list[size_t(position)];
        const QByteArray name = bill.LangFlag ? fieldBytes(k.ETekiyo) : fieldBytes(k.Tekiyo);
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
