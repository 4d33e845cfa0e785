#pragma once
// TMeisaiForm "勘定明細": the child window in which one bill is edited. It
// works on its own copy of the bill (TBillState) and binds its controls to
// the bill logic: the lines in pages of 16, the header, the selectors and
// switches, the totals, the printed documents; closing writes the bill back.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "printing/bill_documents.h"
#include "register/register_stays.h"
#include "shell/item_drop_target.h"

#include <QWidget>
#include <array>
#include <cstdint>

class FrontDesk;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class TSaNumEdit;
class TMeisaiGrid;

class TMeisaiForm : public QWidget, public ItemDropTarget {
    Q_OBJECT
public:
    // Creates the window and opens bill billNo in it.
    TMeisaiForm(FrontDesk &desk, uint32_t billNo, QWidget *parent = nullptr);
    ~TMeisaiForm() override;

    uint32_t billNo() const { return Bill.BillNo; }
    TBillState &bill() { return Bill; }
    const TBillState &bill() const { return Bill; }

    // The grid row (1 to 16) of line lineIndex on its page.
    static int gridRow(int lineIndex) { return lineIndex % BillPageLines + 1; }
    // The line behind grid row row (1 to 16) of the page shown.
    int lineIndexOf(int row) const { return (Bill.PageNo - 1) * BillPageLines + row - 1; }

    // Puts a document of the bill on paper or on screen: the bill is checked
    // (its totals must compute) before any page is laid out. True when the
    // document was printed, saved or shown.
    bool runDocument(BillPaper paper, int kind, DocumentMode mode, int copies = 1);
    // Drops an item of the item master (its drag text) onto grid row row.
    bool dropItem(int row, const QString &dragText);
    // An item of the item master is about to be dragged here.
    void prepareItemDrop() override;

    // Steps of the window, public for the main window and the tests.
    void showPage();            // fills the grid from the page shown, then the totals
    bool writeBackRow(int row); // false when the row was refused (message shown)
    void goToPage(int page);

protected:
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    friend class TMeisaiGrid;
    void createControls();
    void createLayout();
    void createShortcuts();
    void loadCopies();
    bool saveCopies();

    // Controls <-> bill state.
    void showHeader();
    void showSelectors();
    void showTotals();
    void fitLabels();
    void showLanguage();
    void calcTotals(bool quiet = false);
    // A picked or dropped stay item brings its meal part to its line.
    void takeItemMeal(int lineIndex);
    // Asks for a stay line's own meal part.
    void askLineMeal(int lineIndex);
    void headerEdited();

    // Grid.
    TBillMessage storeRow(int row); // writeBackRow without showing the refusal
    bool gridKey(QKeyEvent *e);
    void selectCell(int col, int row, bool &canSelect);
    void cellEdited(int col, int row, const QString &value);
    void placePicker(int col, int row);
    void openPicker();
    // Shows the item picker over the cell when it is a 摘要 cell; whether it shows.
    bool pickerAt(int col, int row);
    void itemPicked(int index);
    void gridPopup(const QPoint &pos);

    // Header, switches, selectors.
    bool checkSettlementDate();
    void stayEdited();
    void langButtonClick();
    void printClick(int kind, QSpinBox *copies);
    void showIssued(); // the receipts issued for the bill, from their record
    void printWClick();
    // 宿泊者名簿: the register of the bill's guests (F9).
    void registerClick();
    RegisterStay registerStay() const;
    // The bill is held at another desk: read and printed, never changed.
    void showReadOnly();

    FrontDesk &Desk;
    TBillState Bill;
    int CurRow = 1;
    int PickRow = 1;
    int PopupRow = 1;
    bool Closing = false;
    bool ReadOnly = false;
    bool Showing = false;

    // Header.
    QWidget *HeaderPanel = nullptr;
    QLabel *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr;
    QLabel *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr;
    QLineEdit *NameEdit = nullptr, *MeiNoEdit = nullptr, *SeisanDay = nullptr, *PlanEdit = nullptr;
    QLineEdit *RegdayEdit = nullptr, *StayEdit = nullptr, *RoomEdit = nullptr;
    QLineEdit *DecideEdit = nullptr, *StayxEdit = nullptr;
    QComboBox *KeisyouCombo = nullptr;
    QPushButton *LangButton = nullptr;
    QPushButton *RegisterButton = nullptr;
    QLabel *StayLabel = nullptr, *Label2 = nullptr;

    // Lines.
    TMeisaiGrid *Grid = nullptr;
    QComboBox *TekiyoCombo = nullptr;
    QPushButton *PrevButton = nullptr, *NextButton = nullptr;
    QLabel *PageLabel = nullptr;
    QMenu *PopupMenu1 = nullptr;

    // Totals.
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr;
    QCheckBox *LodgingCheck = nullptr; // the accommodation tax, shown while the inn charges it
    QSpinBox *LodgingExempt = nullptr; // guest-nights exempt from it
    QComboBox *LodgingReason = nullptr; // and why
    QAction *MealAction = nullptr;      // the line menu's meal part
    std::array<QLineEdit *, BillRows> GEdit{};
    QComboBox *NebikiCombo = nullptr, *CouponCombo = nullptr, *SiharaiCombo = nullptr;
    std::array<TSaNumEdit *, 9> SaNumEdit{};
    QLabel *Label1 = nullptr;

    // Printing.
    QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr;
    QPushButton *PrintRyousyu = nullptr, *PrintSeikyu = nullptr, *PrintW = nullptr;
    QSpinBox *CSpinEdit1 = nullptr, *CSpinEdit2 = nullptr, *CSpinEdit3 = nullptr;
    QCheckBox *TadashiCheck = nullptr;
    QLabel *IssuedLabel = nullptr;
};
