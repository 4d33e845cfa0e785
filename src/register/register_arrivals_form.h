#pragma once
// TRegisterArrivalsForm "到着予定と宿泊者名簿": the bills whose stay begins on
// a day, with how far each one's register is filled in; opening a row opens
// the register window for that bill.

#include "register/register_stays.h"

#include <QWidget>
#include <vector>

class FrontDesk;
class QDateEdit;
class QLabel;
class QTableWidget;

class TRegisterArrivalsForm : public QWidget {
    Q_OBJECT
public:
    // The register must be unlocked (openRegister) before.
    TRegisterArrivalsForm(FrontDesk &desk, const QDate &day, QWidget *parent = nullptr);

    QSize sizeHint() const override { return {760, 420}; }
    void setDay(const QDate &day);
    void refresh();
    // Opens the register window for the row's bill.
    void openRow(int row);
    QTableWidget *grid() const { return Grid; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    FrontDesk &Desk;
    std::vector<RegisterStay> Stays;
    QDateEdit *DayEdit = nullptr;
    QTableWidget *Grid = nullptr;
    QLabel *CountLabel = nullptr;
};
