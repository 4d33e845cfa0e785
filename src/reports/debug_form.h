#pragma once
// The diagnostic views: every record held in memory, field by field, whatever
// month the bar shows. TdebugForm lists ReserveList, TdebuguriForm
// UrikakeList; both relist at every activation and month step. A cell's
// text is made when it is painted, so a list of a million lines costs no
// texts held. Their place is not kept in the settings file.

#include "reports/month_window_form.h"

class TdebugForm : public TMonthWindow {
    Q_OBJECT
public:
    explicit TdebugForm(FrontDesk &desk, QWidget *parent = nullptr);

protected:
    MonthGrid compute() override;
};

class TdebuguriForm : public TMonthWindow {
    Q_OBJECT
public:
    explicit TdebuguriForm(FrontDesk &desk, QWidget *parent = nullptr);

protected:
    MonthGrid compute() override;
};
