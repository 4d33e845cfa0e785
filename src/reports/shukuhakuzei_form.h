#pragma once
// TShukuhakuzeiForm: the accommodation-tax statement window (宿泊税納入明細),
// beside the bathing tax's. One row per night of the shown month and a totals
// row, one column per tier in force that month; recomputed whenever the
// window is activated or the month changes; preview of the printed
// statement; CSV of the grid.

#include "reports/month_window_form.h"

class QLabel;

class TShukuhakuzeiForm : public TMonthWindow {
    Q_OBJECT
public:
    explicit TShukuhakuzeiForm(FrontDesk &desk, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    // Names the month's stay lines without a date, which no night counts.
    QLabel *UndatedLabel = nullptr;

    void PrintButtonClick();

protected:
    MonthGrid compute() override;
};
