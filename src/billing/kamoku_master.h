#pragma once
// Rules of the item master window: which category each tab edits and how its
// entries are numbered, writing an edited grid row into its entry, inserting
// and deleting entries, renumbering before the files are written, and the
// text an entry carries when it is dragged onto a bill.

#include "storage/app_data.h"

#include <QString>
#include <array>
#include <cstdint>

using KamokuLists = std::array<RecordList<THojoKamoku>, KamokuCategories>;

inline constexpr int KamokuTabs = 8;
// Rows of the grid below its heading before any insertion.
inline constexpr int KamokuGridRows = 99;
// A name as typed is checked against 40 bytes; the fields hold 35.
inline constexpr int KamokuTypedNameBytes = 40;
inline constexpr int KamokuNameBytes = int(sizeof(THojoKamoku::Tekiyo)) - 1;
// Rows 1 to 11 of the accommodation tab are the entries received reservations
// refer to: nothing is inserted or deleted there.
inline constexpr int KamokuReservedRows = 11;

struct KamokuTab {
    const char *caption;
    int category;         // index into KamokuList
    uint32_t code;        // KamokuCode of the category
    uint32_t firstNumber; // HojoCode of the first entry
};
// The tabs in the order shown; category 5 has none.
const KamokuTab &kamokuTab(int tab);
// The first HojoCode of a category (1, 101 or 801).
uint32_t kamokuFirstNumber(int category);
// The KamokuCode of a category (category 5 has none: 0).
uint32_t kamokuCode(int category);

// Messages of the window, each with the title "エラー".
extern const QString KamokuNameTooLong;   // 摘要 over 40 bytes
extern const QString KamokuRowReserved;   // insert or delete on rows 1 to 11 of tab 0

// The refusal for a text typed into column col (1 摘要, 3 英語摘要) of the grid:
// characters CP932 cannot hold, the 40-byte check of 摘要, the 35 bytes of
// either field. Empty when the text may be stored.
QString kamokuCellRefusal(int col, const QString &text);

// The refusal for a price typed into tab (column 単価): a whole number of
// yen, not negative except in the discount tab; the message names the range.
// Empty when the price may be stored (an empty text counts as 0).
QString kamokuPriceRefusal(int tab, const QString &text);

// Writes grid row row (1 = first entry) of tab into its entry: code and
// number of the tab, both names, the price text read as an integer (empty
// reads 0). A row below the end of the list first gets blank entries up to
// it. Returns the refusal (nothing stored) or an empty text; a row past the
// category's room (kamokuCapacity) is refused with kamokuFullMessage.
QString setKamokuRow(KamokuLists &lists, int tab, int row, const QString &name, const QString &priceText,
                     const QString &englishName);

// Whether insert and delete are refused on this row of this tab.
bool kamokuRowReserved(int tab, int row);
// The message of a category without room for another entry (it names the
// category, its number of entries and its keys).
QString kamokuFullMessage(int tab);
// Whether every entry the tab's category has room for is in use.
bool kamokuTabFull(const KamokuLists &lists, int tab);
// A zero entry goes in before the entry of grid row row; the entries from
// there move down (a blank entry at the end goes when the category would
// otherwise outgrow its keys). A row below the end of the list changes
// nothing. Refused, with kamokuFullMessage, when every entry the category
// has room for is in use.
// marks, when given, are the accommodation-tax marks of the items; they move with their entries.
QString insertKamokuEntry(KamokuLists &lists, int tab, int row, TLodgingTax *marks = nullptr);
// The entry of grid row row goes; the entries after it move up. A row below
// the end of the list changes nothing.
void deleteKamokuEntry(KamokuLists &lists, int tab, int row, TLodgingTax *marks = nullptr);

// Stored bill lines whose key would change meaning if the entry of grid row
// row and those after it were renumbered (an insert or delete there).
struct KamokuKeyUse {
    int lines = 0;
    int bills = 0;
};
KamokuKeyUse kamokuKeysMovedInUse(const KamokuLists &lists, const ReserveRecords &lines, int tab, int row);
// The question before such an insert (or delete), naming lines and bills.
QString kamokuRenumberQuestion(const KamokuKeyUse &use, bool inserting);

// Every category but 5 gets its code and its entries their positional
// numbers (1, 2, ... / 101, 102, ... / 801, 802, ...), blank entries included.
void renumberKamoku(KamokuLists &lists);

// Whether the entries of this tab can be sold at the reduced consumption-tax
// rate: the charges (accommodation, options, day use), not advances,
// discounts or payments.
bool kamokuTabHasReducedRate(int tab);
// Whether the entry of grid row row is marked 軽減税率.
bool kamokuRowReduced(const KamokuLists &lists, int tab, int row);
// Marks or unmarks it. The mark lives in the entry's record, so it moves with
// the entry through insertions, deletions and the renumbering on save. False
// (nothing changed) for a row without a named entry or a tab without the rate.
bool setKamokuRowReduced(KamokuLists &lists, int tab, int row, bool reduced);

// The accommodation tab's marks for the accommodation tax, kept in the
// settings file by item key (the item files keep their layout): whether the
// row's item is no guest (a pet, a room charge) and so bears no tax, and its
// meal part per person (うち食事代), left out of the price that chooses the
// tier. Only tab 0 has them; false / 0 elsewhere.
bool kamokuTabHasLodgingMarks(int tab);
bool kamokuRowNotGuest(const TLodgingTax &marks, int tab, int row);
void setKamokuRowNotGuest(TLodgingTax &marks, int tab, int row, bool notGuest);
int kamokuRowMealPart(const TLodgingTax &marks, int tab, int row);
// The refusal of a meal part as typed (a whole number of yen, 0 up); empty
// when it was stored (an empty text is 0).
QString setKamokuRowMealPart(TLodgingTax &marks, int tab, int row, const QString &text);

// Whether the entries of this tab can be dragged onto a bill (tabs 0 to 3).
bool kamokuTabDraggable(int tab);
// The item key grid row row of a draggable tab stands for.
uint32_t kamokuRowKey(int tab, int row);
// The drag text of grid row row: key, empty date, name (advances marked
// "(立替金)"), price text. Empty for a tab that cannot be dragged.
QString kamokuDragText(int tab, int row, const QString &name, const QString &priceText);

// An item dragged onto a bill, as carried by the drag text
// "key,,name,price". The name lies between the empty date and the price, the
// last field: a name with commas of its own arrives whole.
struct DraggedItem {
    uint32_t key = 0;
    QString name;
    int32_t price = 0;
};
QString itemDragText(uint32_t key, const QString &name, const QString &priceText);
// False when the text is no item (no key, or a price that is no number).
bool parseItemDragText(const QString &text, DraggedItem *item);
