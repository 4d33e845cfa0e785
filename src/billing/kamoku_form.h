#pragma once
// TKamokuForm "摘要マスター": the child window in which the inn edits its item
// master, one tab per category. It works on the main window's KamokuList
// directly (a bill window opened later offers the changes at once) and
// writes the nine category files when it closes. Entries of the first four
// tabs can be dragged onto the open bill window.

#include <QWidget>

class QLabel;
class QMenu;
class QTabBar;
class FrontDesk;
class TKamokuGrid;

class TKamokuForm : public QWidget {
    Q_OBJECT
public:
    // Seeds the default entries when the item master has never been saved.
    explicit TKamokuForm(FrontDesk &desk, QWidget *parent = nullptr);
    ~TKamokuForm() override;

    QSize sizeHint() const override;

    int tab() const;
    void setTab(int tab);
    // Fills the grid from the category of the tab shown.
    void showTab();
    // Whether the grid's rows of the current tab can be dragged now: a bill
    // window is open and the tab is one of the first four.
    bool dragSource() const;
    // The drag text of a grid row of the current tab (empty when the row has
    // no name or the tab cannot be dragged).
    QString dragText(int row) const;
    // Drags the entry of a grid row onto the bill window: DragText is set
    // for the bill window to read while the drag lasts.
    void startItemDrag(int row);
    // The two ends of a drag: the first sets DragText and readies the bill
    // window (line picker hidden, date column current); false when the row
    // cannot be dragged now. The second clears DragText.
    bool beginItemDrag(int row);
    void endItemDrag();

    // Right-click on the grey strip of a row: the pop-up menu, or the notice
    // for the reserved rows.
    void gridStripClicked(int row, const QPoint &globalPos);
    void GinsertClick();
    void GdeleteClick();
    // Marks or unmarks the entry of the menu's row as sold at the reduced tax rate.
    void GreducedClick();
    // Marks or unmarks the accommodation item of the menu's row as no guest (no accommodation tax).
    void GnotGuestClick();
    // Marks the row's item as no guest of the accommodation tax, or as a guest again.
    void toggleNotGuest(int row);
    QMenu *popupMenu() const { return PopupMenu1; }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    friend class TKamokuGrid;
    void cellEdited(int col, int row, const QString &value);
    void enterPressed();
    // True when no stored bill line would change meaning, or the clerk agrees.
    bool renumberingAgreed(bool inserting);

    FrontDesk &Desk;
    QTabBar *TabControl1 = nullptr;
    TKamokuGrid *Grid = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *ReservedNote = nullptr; // on the tab whose first rows take fetched reservations
    QLabel *Label2 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Greduced = nullptr;
    QAction *GnotGuest = nullptr;
    bool MarksChanged = false; // the accommodation-tax marks wait to be written
    int PopupRow = 0;
    bool Showing = false;
};
