#pragma once
// The accommodation-tax page of the basic settings window: on/off, the names
// printed on bills and receipts, and the table of tiers by start date, each
// period with what its price counts (room, with service, with service and
// tax) and each tier's split between the authorities that levy it; the
// reasons a bill may give for exempt guest-nights. A cell is checked as it
// is typed; the table as a whole (order, repeated bounds, shares adding up)
// when the window closes.

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
    enum Column { ColFrom = 0, ColBound, ColAmount, ColUnit, ColBasis, ColShares, Columns };

    void fill(const TLodgingTax &tax);
    // The page's contents into *tax; empty when they make a sound setting,
    // otherwise why not, and *tax is unchanged.
    QString read(TLodgingTax *tax) const;

    // Appends a tier row (the unit "%" when percent).
    // shares: the tier's split between authorities as typed ("町200+県100").
    void addRow(const QString &from, const QString &bound, const QString &amount, bool percent,
                LodgingBasis basis = LodgingBasis::Room, const QString &shares = QString());

private:
    void cellChanged(QTableWidgetItem *item);
    void unitChanged(QComboBox *unit);
    void basisChanged(QComboBox *basis);
    int rowOfUnit(const QComboBox *unit) const;

    QCheckBox *Enabled = nullptr;
    QLineEdit *Name = nullptr, *NameEn = nullptr;
    QLineEdit *Reasons = nullptr; // the reasons of exemption, separated by 「,」
    QTableWidget *Table = nullptr;
    bool Checking = false;
};
