#include "kamoku_master.h"

#include "billing/bill_computation.h"
#include "storage/cp932.h"
#include "storage/library.h"
#include "storage/text_entry.h"

#include <QLocale>
#include <QStringList>
#include <unordered_set>

#include <limits>

namespace {

const std::array<KamokuTab, KamokuTabs> Tabs = {{
    {"宿泊費", 0, 1601, 1},
    {"オプション", 1, 1601, 101},
    {"日帰り", 2, 1601, 801},
    {"立替金", 4, 1106, 1},
    {"値引き", 3, 1602, 1},
    {"カード", 6, 101, 1},
    {"クーポン", 7, 102, 1},
    {"前受金", 8, 1105, 1},
}};

bool validTab(int tab) { return tab >= 0 && tab < KamokuTabs; }

// The list a tab edits and the entry position of a grid row, or -1.
int positionOf(int row) { return row >= 1 ? row - 1 : -1; }

} // namespace

const QString KamokuNameTooLong = QStringLiteral("摘要は全角20文字以内で入力してください");
const QString KamokuRowReserved = QStringLiteral("この行は受信データ専用に確保されているため変更できません");

const KamokuTab &kamokuTab(int tab) { return Tabs[size_t(validTab(tab) ? tab : 0)]; }

uint32_t kamokuFirstNumber(int category)
{
    switch (category) {
    case 1:
        return 101;
    case 2:
        return 801;
    default:
        return 1;
    }
}

uint32_t kamokuCode(int category)
{
    for (const KamokuTab &t : Tabs)
        if (t.category == category)
            return t.code;
    return 0;
}

QString kamokuCellRefusal(int col, const QString &text)
{
    const QString field = col == 3 ? QStringLiteral("英語摘要") : QStringLiteral("摘要");
    const QString chars = textentry::refusalMessage(field, text);
    if (!chars.isEmpty())
        return chars;
    if (col == 1 && cp932::byteLength(text) > KamokuTypedNameBytes)
        return KamokuNameTooLong;
    return textentry::lengthMessage(field, text, KamokuNameBytes);
}

QString kamokuPriceRefusal(int tab, const QString &text)
{
    // Only a discount is taken off the bill; any other price below zero
    // would turn a charge into a refund without anyone meaning it.
    const bool discount = validTab(tab) && Tabs[size_t(tab)].code == 1602;
    const QString price = text.trimmed();
    bool ok = true;
    const qlonglong v = price.isEmpty() || price == QLatin1String("-") ? 0 : price.toLongLong(&ok);
    const bool negative = price.startsWith(QLatin1Char('-'));
    if (ok && fitsAmount(v) && (discount || !negative))
        return {};
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::DefaultNumberOptions); // with thousands separators
    const QString max = c.toString(std::numeric_limits<int32_t>::max());
    if (discount)
        return QStringLiteral("単価は%1の整数で入力してください").arg(amountRangeText());
    return QStringLiteral("単価は0円から%1円までの整数で入力してください\n（マイナスの単価は値引きの項目だけに使えます）").arg(max);
}

QString setKamokuRow(KamokuLists &lists, int tab, int row, const QString &name, const QString &priceText,
                     const QString &englishName)
{
    QString refusal = kamokuCellRefusal(1, name);
    if (refusal.isEmpty())
        refusal = kamokuCellRefusal(3, englishName);
    if (!refusal.isEmpty())
        return refusal;
    const int pos = positionOf(row);
    if (!validTab(tab) || pos < 0)
        return {};
    if (const QString m = kamokuPriceRefusal(tab, priceText); !m.isEmpty())
        return m;
    const QString price = priceText.trimmed();
    const int32_t tanka = price.isEmpty() ? 0 : price.toInt();

    const KamokuTab &t = Tabs[size_t(tab)];
    auto &list = lists[size_t(t.category)];
    if (pos >= kamokuCapacity(t.category))
        return kamokuFullMessage(tab);
    // A row with no entry behind it gets blank entries up to it.
    if (size_t(pos) >= list.size())
        list.resize(size_t(pos) + 1, THojoKamoku{});
    THojoKamoku &k = list[size_t(pos)];
    k.KamokuCode = t.code;
    k.HojoCode = t.firstNumber + uint32_t(pos);
    setFieldText(k.Tekiyo, name);
    setFieldText(k.ETekiyo, englishName);
    k.Tanka = tanka;
    return {};
}

bool kamokuRowReserved(int tab, int row) { return tab == 0 && row >= 1 && row <= KamokuReservedRows; }

QString kamokuFullMessage(int tab)
{
    const KamokuTab &t = Tabs[size_t(validTab(tab) ? tab : 0)];
    const uint32_t first = t.code * 1000u + t.firstNumber;
    const int capacity = kamokuCapacity(t.category);
    return QStringLiteral("%1の摘要は %2 件までです（番号 %3～%4）。\n"
                          "使っていない摘要を書き換えてください。")
        .arg(QString::fromUtf8(t.caption))
        .arg(capacity)
        .arg(first)
        .arg(first + uint32_t(capacity) - 1);
}

bool kamokuTabFull(const KamokuLists &lists, int tab)
{
    const int category = Tabs[size_t(validTab(tab) ? tab : 0)].category;
    return kamokuStoredCount(lists[size_t(category)]) >= size_t(kamokuCapacity(category));
}

namespace {
// The marks of the accommodation items from key on move by one place (up when
// by is -1, the mark of key itself then going); past the category's keys they go.
void shiftLodgingMarks(TLodgingTax *marks, int tab, int row, int by)
{
    if (!marks || !kamokuTabHasLodgingMarks(tab))
        return;
    const uint32_t from = kamokuRowKey(tab, row);
    std::map<uint32_t, TLodgingItem> moved;
    for (const auto &[key, item] : marks->Items) {
        if (key < from)
            moved[key] = item;
        else if (by < 0 && key == from)
            continue;
        else if (key + by <= 1601100)
            moved[uint32_t(int64_t(key) + by)] = item;
    }
    marks->Items = moved;
}
} // namespace

QString insertKamokuEntry(KamokuLists &lists, int tab, int row, TLodgingTax *marks)
{
    const int pos = positionOf(row);
    if (!validTab(tab) || pos < 0 || kamokuRowReserved(tab, row))
        return {};
    const int category = Tabs[size_t(tab)].category;
    auto &list = lists[size_t(category)];
    if (size_t(pos) >= list.size())
        return {};
    // The entries pushed down must keep keys of their own category.
    if (kamokuTabFull(lists, tab))
        return kamokuFullMessage(tab);
    list.insert(list.begin() + pos, THojoKamoku{});
    shiftLodgingMarks(marks, tab, row, 1);
    if (list.size() > size_t(kamokuCapacity(category)))
        list.pop_back(); // a blank entry at the end
    return {};
}

KamokuKeyUse kamokuKeysMovedInUse(const KamokuLists &lists, const ReserveRecords &lines, int tab, int row)
{
    KamokuKeyUse use;
    const int pos = positionOf(row);
    if (!validTab(tab) || pos < 0)
        return use;
    const KamokuTab &t = Tabs[size_t(tab)];
    const auto &list = lists[size_t(t.category)];
    if (size_t(pos) >= list.size())
        return use;
    // The entry at the row and every one after it change number; so do the
    // keys stored bill lines carry for them.
    const uint32_t low = t.code * 1000u + t.firstNumber + uint32_t(pos);
    const uint32_t high = t.code * 1000u + t.firstNumber + uint32_t(kamokuCapacity(t.category)) - 1;
    std::unordered_set<uint32_t> bills;
    for (const TReserveData &r : lines) {
        if (r.Kubun >= low && r.Kubun <= high) {
            ++use.lines;
            bills.insert(r.MeiNo);
        }
    }
    use.bills = int(bills.size());
    return use;
}

QString kamokuRenumberQuestion(const KamokuKeyUse &use, bool inserting)
{
    return QStringLiteral("%1と、この行から後の摘要の番号が一つずつずれます。\n"
                          "保存されている明細のうち %2 行（請求書 %3 件）がずれる番号を使っているため、"
                          "それらの請求書と過去の月の集計は別の摘要として扱われるようになります。\n"
                          "%4しますか？")
        .arg(inserting ? QStringLiteral("行を挿入する") : QStringLiteral("行を削除する"))
        .arg(use.lines)
        .arg(use.bills)
        .arg(inserting ? QStringLiteral("挿入") : QStringLiteral("削除"));
}

void deleteKamokuEntry(KamokuLists &lists, int tab, int row, TLodgingTax *marks)
{
    const int pos = positionOf(row);
    if (!validTab(tab) || pos < 0 || kamokuRowReserved(tab, row))
        return;
    auto &list = lists[size_t(Tabs[size_t(tab)].category)];
    if (size_t(pos) >= list.size())
        return;
    list.erase(list.begin() + pos);
    shiftLodgingMarks(marks, tab, row, -1);
}

bool kamokuTabHasLodgingMarks(int tab) { return validTab(tab) && Tabs[size_t(tab)].code == 1601 && Tabs[size_t(tab)].firstNumber == 1; }

bool kamokuRowNotGuest(const TLodgingTax &marks, int tab, int row)
{
    return kamokuTabHasLodgingMarks(tab) && row >= 1 && !marks.bearsTax(kamokuRowKey(tab, row));
}

namespace {
// An entry without marks is dropped, so that the settings file lists only marked items.
void setMark(TLodgingTax &marks, uint32_t key, const TLodgingItem &item)
{
    if (item == TLodgingItem{})
        marks.Items.erase(key);
    else
        marks.Items[key] = item;
}
} // namespace

void setKamokuRowNotGuest(TLodgingTax &marks, int tab, int row, bool notGuest)
{
    if (!kamokuTabHasLodgingMarks(tab) || row < 1 || row > 100)
        return;
    const uint32_t key = kamokuRowKey(tab, row);
    TLodgingItem item = marks.Items.count(key) ? marks.Items[key] : TLodgingItem{};
    item.NotGuest = notGuest;
    setMark(marks, key, item);
}

int kamokuRowMealPart(const TLodgingTax &marks, int tab, int row)
{
    return kamokuTabHasLodgingMarks(tab) && row >= 1 ? marks.mealPart(kamokuRowKey(tab, row)) : 0;
}

QString setKamokuRowMealPart(TLodgingTax &marks, int tab, int row, const QString &text)
{
    if (!kamokuTabHasLodgingMarks(tab) || row < 1 || row > 100)
        return {};
    const QString t = QString(text).remove(QLatin1Char(',')).trimmed();
    bool ok = t.isEmpty();
    const qlonglong v = ok ? 0 : t.toLongLong(&ok);
    if (!ok || v < 0 || v > TLodgingTax::MaxPrice)
        return QStringLiteral("うち食事代は0円から%1円までの整数で入力してください")
            .arg(QLocale(QLocale::Japanese).toString(TLodgingTax::MaxPrice));
    const uint32_t key = kamokuRowKey(tab, row);
    TLodgingItem item = marks.Items.count(key) ? marks.Items[key] : TLodgingItem{};
    item.MealPart = int(v);
    setMark(marks, key, item);
    return {};
}

void renumberKamoku(KamokuLists &lists)
{
    for (int c = 0; c < KamokuCategories; ++c) {
        if (c == 5)
            continue;
        const uint32_t code = kamokuCode(c);
        const uint32_t first = kamokuFirstNumber(c);
        auto &list = lists[size_t(c)];
        for (size_t i = 0; i < list.size(); ++i) {
            list[i].KamokuCode = code;
            list[i].HojoCode = first + uint32_t(i);
        }
    }
}

bool kamokuTabHasReducedRate(int tab) { return validTab(tab) && Tabs[size_t(tab)].code == 1601; }

bool kamokuRowReduced(const KamokuLists &lists, int tab, int row)
{
    const int pos = positionOf(row);
    if (!kamokuTabHasReducedRate(tab) || pos < 0)
        return false;
    const auto &list = lists[size_t(Tabs[size_t(tab)].category)];
    return size_t(pos) < list.size() && isReducedRate(list[size_t(pos)]);
}

bool setKamokuRowReduced(KamokuLists &lists, int tab, int row, bool reduced)
{
    const int pos = positionOf(row);
    if (!kamokuTabHasReducedRate(tab) || pos < 0)
        return false;
    auto &list = lists[size_t(Tabs[size_t(tab)].category)];
    if (size_t(pos) >= list.size() || list[size_t(pos)].Tekiyo[0] == '\0')
        return false;
    list[size_t(pos)].Keigen = reduced ? 1 : 0;
    return true;
}

bool kamokuTabDraggable(int tab) { return tab >= 0 && tab <= 3; }

uint32_t kamokuRowKey(int tab, int row)
{
    if (!kamokuTabDraggable(tab) || row < 1)
        return 0;
    const KamokuTab &t = Tabs[size_t(tab)];
    return t.code * 1000u + t.firstNumber + uint32_t(row) - 1;
}

QString kamokuDragText(int tab, int row, const QString &name, const QString &priceText)
{
    const uint32_t key = kamokuRowKey(tab, row);
    if (key == 0)
        return {};
    const QString shown = Tabs[size_t(tab)].code == 1106 ? name + QStringLiteral("(立替金)") : name;
    return itemDragText(key, shown, priceText);
}

QString itemDragText(uint32_t key, const QString &name, const QString &priceText)
{
    return QString::number(key) + QStringLiteral(",,") + name + QLatin1Char(',') + priceText;
}

bool parseItemDragText(const QString &text, DraggedItem *item)
{
    const QStringList f = TLibrary::SplitComma(text);
    if (f.size() < 4)
        return false;
    bool keyOk = false;
    const uint key = f.first().trimmed().toUInt(&keyOk);
    const QString priceText = f.last().trimmed();
    bool priceOk = true;
    const int price = priceText.isEmpty() ? 0 : priceText.toInt(&priceOk);
    if (!keyOk || key == 0 || !priceOk)
        return false;
    if (item) {
        item->key = key;
        // Everything between the date and the price, commas included.
        item->name = f.mid(2, f.size() - 3).join(QLatin1Char(','));
        item->price = price;
    }
    return true;
}
