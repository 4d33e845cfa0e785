#pragma once
// TGetujioptForm: sales per item of a month (売上明細月次集計表) for the
// category chosen in KindCombo. It computes on "集計" and on month steps, not
// on activation. The printout goes through the preview.

#include "reports/month_window_form.h"

class QComboBox;
class QPushButton;

class TGetujioptForm : public TMonthWindow {
    Q_OBJECT
public:
    explicit TGetujioptForm(FrontDesk &desk, QWidget *parent = nullptr);

    QComboBox *KindCombo = nullptr;
    QPushButton *Button1 = nullptr; // 集計

    void Button1Click();
    void PrintButtonClick();
    // The category of the figures shown: the one chosen at the last computation.
    int shownCategory() const { return FShownCategory; }

protected:
    MonthGrid compute() override;

private:
    int FShownCategory = 0;
};
