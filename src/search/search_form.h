#pragma once
// TSearchForm "検索": every bill found by the guest's name as it is typed,
// narrowed by number, room, dates, amount, card company and settlement.
// The rows are sortable by any column; Enter or a double click opens the
// bill (one bill window at a time), a row's receipt can be reissued, and the
// rows go to a CSV file as norvel --find writes them. The rules live in bill_search.h.

#include "search/bill_search.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class FrontDesk;

// The bills found, as the grid shows them.
class TBillFoundModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TBillFoundModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}
    void setBills(const BillIndex *index, const ReceiptCounts *receipts, std::vector<BillEntry> bills);
    const std::vector<BillEntry> &bills() const { return Bills; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    const BillIndex *Index = nullptr;
    const ReceiptCounts *Receipts = nullptr;
    std::vector<BillEntry> Bills;
};

class TSearchForm : public QWidget {
    Q_OBJECT
public:
    explicit TSearchForm(FrontDesk &desk, QWidget *parent = nullptr);
    QSize sizeHint() const override;

    // The query the fields make; *problem names a field that reads as
    // nothing (a date or amount mistyped), empty when all are right.
    BillQuery Query(QString *problem = nullptr) const;
    // Finds again from the fields (as after each keystroke).
    void Find();
    // Reads the record of receipts again and finds (on activation and when a
    // bill window has gone: a receipt may have been issued).
    void Refresh();
    // Opens the bill of a grid row.
    void OpenRow(int row);
    // The rows in their shown order, as a CSV file (CsvButton).
    QByteArray ShownCsv() const;
    void CsvButtonClick();
    // Reissues the receipt of the selected row's bill: the bill opens (one
    // bill window at a time) and its receipt shows in the preview, marked
    // and recorded as every reissue is once it is printed or saved.
    void ReissueClick();

    TBillFoundModel *Found() const { return Model; }
    QTableView *Grid() const { return View; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    FrontDesk &Desk;
    QLineEdit *FindEdit, *BillNoEdit, *RoomEdit, *FromEdit, *ToEdit, *MinEdit, *MaxEdit;
    QComboBox *DateKind, *CardCombo, *StateCombo, *ReceiptCombo;
    QLabel *CountLabel;
    QPushButton *CsvButton, *ReissueButton;
    QTableView *View;
    TBillFoundModel *Model;
    ReceiptCounts Receipts;
};
