#pragma once
// The accommodation-tax page of the basic settings window: on/off, the names
// printed on bills and receipts, whether the price that chooses the tier
// counts the service charge and consumption tax, and the table of tiers by
// start date. A cell is checked as it is typed; the table as a whole (order,
// repeated bounds) when the window closes.

#include "storage/lodging_tax.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;

class TLodgingTaxPage : public QWidget {
    Q_OBJECT
public:
    explicit TLodgingTaxPage(QWidget *parent = nullptr);

    // Table columns.
    enum Column { ColFrom = 0, ColBound, ColAmount, ColUnit, Columns };

    void fill(const TLodgingTax &tax);
    // The page's contents into *tax; empty when they make a sound setting,
    // otherwise why not, and *tax is unchanged.
    QString read(TLodgingTax *tax) const;

    // Appends a tier row (the unit "%" when percent).
    void addRow(const QString &from, const QString &bound, const QString &amount, bool percent);

private:
    void cellChanged(QTableWidgetItem *item);
    void unitChanged(QComboBox *unit);
    int rowOfUnit(const QComboBox *unit) const;

    QCheckBox *Enabled = nullptr;
    QLineEdit *Name = nullptr, *NameEn = nullptr;
    QComboBox *Basis = nullptr;
    QTableWidget *Table = nullptr;
    bool Checking = false;
};
