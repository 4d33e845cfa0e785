#pragma once
// Rules of the bill window that change the bill's working state: the
// selectors built from the item master, the two switches, the language switch
// and the card amount. The window calls these and then CalcTotals.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "storage/app_data.h"

#include <QDate>
#include <array>

using KamokuLists = std::array<RecordList<THojoKamoku>, KamokuCategories>;

// Fills the five selectors (both languages) and the entries behind them from
// the item master, blank entries skipped; selects both placeholders and the
// first honorific. A notice when the line picker has nothing to offer.
TBillMessage BuildSelectors(TBillState &bill, const KamokuLists &kamoku);

// The service switch (CheckBox1) and the rate it puts in use.
void SetServiceSwitch(TBillState &bill, bool on, const TBaseData &base);
// The bathing-tax switch (CheckBox2): off turns the adult keys of every line
// into their exempt twins (1601001->1601991, 1601002->1601992,
// 1601801->1601993, 1601802->1601994), on turns them back.
void SetBathSwitch(TBillState &bill, bool on, const TBaseData &base);
// The key a line takes under the given switch position.
uint32_t bathSwitchedKey(uint32_t key, bool on);

// The language switch asks first unless the bill was receipted in English.
bool languageSwitchAsks(const TBillState &bill);
// Flips LangFlag, keeps every selector's selection, and replaces the text of
// each line taken from the item master (accommodation, options, day use,
// advances) by the entry's name in the new language. With onlyMasterNames a
// line keeps its text unless it is the entry's name in the old language: a
// bill reopened in the language it was saved in keeps its lines as printed.
void SwitchLanguage(TBillState &bill, const KamokuLists &kamoku, bool onlyMasterNames = false);
// Whether the bill's lines were saved in English: some line bears its item's
// English name and none its Japanese one (items whose names are the same in
// both count for neither). A bill written in English keeps its language
// this way before any receipt says so.
bool linesInEnglish(const TBillState &bill, const KamokuLists &kamoku);

// Index of SiharaiItems that a card-kind text names, or -1.
int cardItemIndex(const TBillState &bill, const QString &text);
// The card kind changes to text: a kind chosen while the card amount is 0
// takes the balance; clearing the kind sets the amount to 0.
void SetCardKind(TBillState &bill, const QString &text);

// --- lines of the grid ---

// Reads a small whole number of the header (nights, night number, receipt
// status); empty is 0. False for anything else or a value above 255.
bool readHeaderByte(const QString &text, uint8_t *value);
// A padding line: the header texts of the window, no key.
TReserveData paddingLine(const TBillState &bill);
// Pads Lines with padding lines to whole pages, at least up to page PageNo.
void padLines(TBillState &bill);

// A line's text as typed is limited to 40 bytes (20 full-width characters).
inline constexpr int TypedLineTextBytes = 40;

// Writes a grid row back into line lineIndex; refuses a typed text over 40
// bytes or with characters the record cannot hold, and a date that is no real
// date (nothing is written then). The date is stored as normalizeLineDate
// gives it.
TBillMessage WriteBackRow(TBillState &bill, int lineIndex, uint32_t key, const QString &date,
                          const QString &text, int32_t tanka, int32_t suryou);
// The same from the texts of the grid's cells (key, date, text, price,
// quantity; empty numbers read 0). Refuses, naming the range, a price or
// quantity beyond 32 bits and a line whose amount (price x quantity) is.
TBillMessage WriteBackCells(TBillState &bill, int lineIndex, const QString &key, const QString &date,
                            const QString &text, const QString &tanka, const QString &suryou);
// Checks one cell of the grid as it is typed: column 1 the date (digits,
// "/" and "-" in either width, 10 at most), 2 the text (CP932, 40 bytes), 3 the price and 4 the quantity
// (whole numbers within 32 bits). An empty message when it may stay.
TBillMessage CheckCellEntry(int column, const QString &text);
// Fills line lineIndex from entry itemIndex of the line picker: key, name
// (advances marked as such), price and quantity 1; an empty date takes the
// date of the line before it.
void PickItem(TBillState &bill, int lineIndex, int itemIndex);
// Fills line lineIndex from an item dragged out of the item master
// ("key,,name,price"): quantity empty; the date is the line's own, else the
// line before it, else today. False when the text is no item.
bool DropItem(TBillState &bill, int lineIndex, const QString &dragText, const QDate &today);
// Inserts an empty line before lineIndex, with that line's header fields,
// date and room; Lines stays whole pages.
void InsertLine(TBillState &bill, int lineIndex);
// Erases line lineIndex; Lines stays whole pages.
void DeleteLine(TBillState &bill, int lineIndex);
// Shows another page: Lines grows with padding lines to reach it.
void GoToPage(TBillState &bill, int page);
// Copies the header texts (reservation number, name, plan, nights, night
// number, receipt status) into every line.
void CopyHeaderToLines(TBillState &bill);

// --- closing ---

// A line's date as typed: year/month/day with "/" or "-" (one-digit month
// and day allowed) or eight digits, full-width digits and separators as
// their ASCII forms, becomes 2026/12/11; empty stays empty. Month and day
// alone (12/12) take the year nearest the stay's first night, when given.
// False when it is no real date: a line's date decides the day it is listed
// and the month it is reported under.
bool normalizeLineDate(const QString &typed, QString *date, const QDate &stay = {});
extern const QString LineDateFormatMessage; // names the form a line date takes

// A settlement date as typed, in the ten-character form (2007/8/9 becomes
// 2007/08/09); empty stays empty. False when it is no date.
bool normalizeSettlementDate(const QString &typed, QString *date);

enum class CloseStep {
    Save,     // SaveBill, then close
    Discard,  // close without saving (after the notice)
    StayOpen, // the window stays open
    AskKeep,  // ask the question; yes: check again with keep, no: close without saving
};
struct TCloseCheck {
    CloseStep step = CloseStep::Save;
    TBillMessage message;
};
// The checks made when the bill window is asked to close, in order: the
// settlement date (normalised in place), a total to save (a bill with a name
// but no total is kept only when asked to: keep), the reservation number, the
// name.
TCloseCheck CheckBeforeClose(TBillState &bill, bool keep = false);
