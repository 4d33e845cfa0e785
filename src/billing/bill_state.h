#pragma once
// The working state of one bill while it is edited: everything the bill window
// shows and edits, and everything the printed documents read from it. The
// window binds its controls to these members; the rules that change them live
// in bill_computation.h and bill_storage.h.

#include "storage/record_list.h"
#include "storage/records.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

// Lines per page of the bill grid.
inline constexpr int BillPageLines = 16;
// Placeholder item of the discount and deposit selectors, and the label of an
// empty summary row.
inline const QString BillPlaceholder = QStringLiteral("*****");

// Copies the bill header every line repeats: reservation number, name, plan,
// nights, night number and receipt status.
inline void copyBillHeader(TReserveData &to, const TReserveData &from)
{
    std::memcpy(to.Regday, from.Regday, sizeof to.Regday);
    std::memcpy(to.Name, from.Name, sizeof to.Name);
    std::memcpy(to.Plan, from.Plan, sizeof to.Plan);
    to.Stay = from.Stay;
    to.Stayx = from.Stayx;
    to.Decide = from.Decide;
}

// One drop-down of the bill window with its item list in both languages.
struct TBillSelector {
    std::array<QStringList, 2> Items; // item texts: [0] Japanese, [1] English, same length
    int ItemIndex = -1;               // selected item, -1 for none; kept across the language switch
    QString EditText;                 // typed text of an editable drop-down (card kind); else unused

    // The list shown in the given language (LangFlag).
    const QStringList &shown(uint8_t lang) const { return Items[lang ? 1 : 0]; }
    // The text the drop-down shows: the typed text when editable, else the selected item.
    QString text(uint8_t lang, bool editable = false) const
    {
        if (editable)
            return EditText;
        const QStringList &list = shown(lang);
        return ItemIndex >= 0 && ItemIndex < list.size() ? list[ItemIndex] : QString();
    }
};

// Summary rows of the totals block.
enum BillRow : int {
    RowService = 0,  // service charge
    RowDiscount = 1, // discount, labelled by NebikiCombo
    RowCharge = 2,   // charge subtotal
    RowTax = 3,      // consumption tax
    RowAdvance = 4,  // advances and bathing tax
    RowTotal = 5,    // total of use
    RowDeposit = 6,  // deposit, labelled by CouponCombo
    RowBalance = 7,  // amount billed
    BillRows = 8,
};

// One consumption-tax rate of a bill: its taxable amount and its tax.
struct TTaxShare {
    int Rate = 0;         // percent
    bool Reduced = false; // the reduced rate, lower than the standard one (its lines are marked ※)
    int64_t Base = 0;     // taxable amount: with the tax when prices include it, without it when it is added
    int64_t Tax = 0;
    bool operator==(const TTaxShare &) const = default;
};

// The generated line that keeps a bill's service charge with it.
inline constexpr uint32_t ServiceLineKey = 1601990;

struct TBillState {
    // --- bill and header controls ---
    uint32_t BillNo = 0;         // bill being edited; set before LoadBill
    QString MeiNoEdit;           // bill number as shown, unsigned decimal
    QString SeisanDay;           // settlement date yyyy/mm/dd, empty while the bill is open
    QString RegdayEdit;          // reservation number
    QString NameEdit;            // guest name without honorific (at most 63 bytes)
    TBillSelector KeisyouCombo;  // honorific: 様/御中/殿, English Mr./Mrs./Miss./Messrs.; printed, not stored
    QString PlanEdit;            // plan (at most 63 bytes)
    QString RoomEdit;            // room; empty when the lines carry different rooms
    bool RoomEnabled = true;     // false while the bill covers several rooms
    QString StayEdit;            // nights of the stay, as typed
    QString StayxEdit;           // which night (hidden field)
    QString DecideEdit;          // receipt status 0/1/2 (hidden field); documents set it after a receipt
    QString StayLabel;           // start of the stay, e.g. 2007年08月09日(木)から; empty without a date

    // --- header values as loaded ---
    QString Seisan;              // settlement date of the stored bill
    QString Regday;              // reservation number of the stored bill
    QString StartDate;           // Rsvday of the bill's first record: the stay's start date
    QString Name;                // stored guest name
    QString Plan;                // stored plan
    QString Room;                // room common to every line, empty when rooms differ
    uint8_t Stay = 0;            // stored nights
    uint8_t Stayx = 0;           // stored night number
    uint8_t Decide = 0;          // stored receipt status
    bool RoomsDiffer = false;    // the stored lines carry different rooms
    bool HasServiceLine = false; // the stored bill has a service line (key 1601990)

    // --- lines ---
    RecordList<TReserveData> Lines; // grid lines of all pages: ordinary lines, room headings, padding
    // Each line's own meal part per person (うち食事代) for the accommodation
    // tax, by the line's place in Lines; -1 or past the end: its item's.
    std::vector<int32_t> LineMeals;
    int PageNo = 1;                 // page shown, from 1; page p holds Lines[(p-1)*16 .. p*16-1]
    uint8_t LangFlag = 0;           // 0 Japanese, 1 English

    // --- selectors and the item-master entries behind them ---
    TBillSelector TekiyoCombo;             // line picker (no selection kept)
    RecordList<THojoKamoku> TekiyoItems;   // entries behind TekiyoCombo, in its order
    TBillSelector NebikiCombo;             // discount selector; item 0 is "*****"
    RecordList<THojoKamoku> NebikiItems;   // entries behind NebikiCombo items 1..
    TBillSelector CouponCombo;             // deposit selector; item 0 is "*****"
    RecordList<THojoKamoku> CouponItems;   // entries behind CouponCombo items 1..
    TBillSelector SiharaiCombo;            // card kind, editable: EditText is what is shown
    RecordList<THojoKamoku> SiharaiItems;  // entries behind SiharaiCombo items 0..
    std::vector<uint32_t> ReducedKeys;     // item keys at the reduced tax rate, ascending

    // --- switches and rates ---
    bool CheckBox1 = false;      // service switch: off means no service charge
    bool CheckBox2 = true;       // bathing-tax switch: off means no bathing tax
    bool LodgingCheck = true;    // accommodation-tax switch: off exempts the bill (a school trip)
    int LodgingExempt = 0;       // guest-nights of the bill the town exempts
    QString LodgingReason;       // the reason of the exemption, from the inn's list
    int SvcRate = 0;             // service rate in use: Service while CheckBox1 is on, else 0
    int BathRate = 0;            // Nyutouzei while CheckBox2 is on, else 0
    bool TadashiCheck = false;   // print the receipt proviso (combined A4 document)

    // --- totals block ---
    // Amount texts SaNumEdit0..SaNumEdit8: plain decimal integers, empty = not
    // applicable (reads as 0). 1 discount and 6 deposit are typed; 8 is the card amount.
    std::array<QString, 9> SaNumEdit;
    // Label texts GEdit0..GEdit7 of rows 0, 2, 3, 4, 5, 7; entries 1 and 6 stay
    // empty (those rows are labelled by NebikiCombo and CouponCombo, see rowLabel).
    std::array<QString, BillRows> GEdit;
    // The consumption tax by rate, standard rate first, as the last pass
    // worked it out; and whether it was added to the prices.
    std::vector<TTaxShare> TaxShares;
    bool TaxAdded = false;
    // The facility's invoice registration number as the last pass found it;
    // empty: receipts carry no invoice lines.
    QString RegistrationNo;
    // The accommodation tax the last pass charged (part of row 4, an advance)
    // and its text there, e.g. 宿泊税(4人泊×400円), and the tax's name as
    // printed in the bill's language; empty without it.
    int64_t LodgingTax = 0;
    QString LodgingText;
    QString LodgingName;

    // Whether a line's item is sold at the reduced tax rate.
    bool isReducedKey(uint32_t key) const { return std::binary_search(ReducedKeys.begin(), ReducedKeys.end(), key); }
    // Whether the line is taxed at a reduced rate this bill shows (the ※ mark).
    bool marksReduced(const TReserveData &line) const
    {
        if (line.Kubun / 1000 == 1106 || !isReducedKey(line.Kubun))
            return false;
        for (const TTaxShare &t : TaxShares)
            if (t.Reduced)
                return true;
        return false;
    }

    // The label of a summary row as shown, selectors included.
    QString rowLabel(int row) const
    {
        if (row == RowDiscount)
            return NebikiCombo.text(LangFlag);
        if (row == RowDeposit)
            return CouponCombo.text(LangFlag);
        return row >= 0 && row < BillRows ? GEdit[row] : QString();
    }
    // Card kind as shown (お支払カード種別).
    QString cardKind() const { return SiharaiCombo.EditText; }
};
