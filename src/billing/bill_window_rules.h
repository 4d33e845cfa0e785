#pragma once
// Rules of the bill window that change the bill's working state: the
// selectors built from the item master, the two switches, the language switch
// and the card amount. The window calls these and then CalcTotals.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "storage/app_data.h"

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
// advances) by the entry's name in the new language.
void SwitchLanguage(TBillState &bill, const KamokuLists &kamoku);

// Index of SiharaiItems that a card-kind text names, or -1.
int cardItemIndex(const TBillState &bill, const QString &text);
// The card kind changes to text: a kind chosen while the card amount is 0
// takes the balance; clearing the kind sets the amount to 0.
void SetCardKind(TBillState &bill, const QString &text);
