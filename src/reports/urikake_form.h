#pragma once
// TUrikakeForm: the receivables statement of a month (月次売掛明細表), by
// settlement day, recomputed at every activation. Its printout goes through
// the preview; once produced, a dated copy of urikake.dat is left in the
// backup folder.

#include "reports/month_window_form.h"

class QLabel;

class TUrikakeForm : public TMonthWindow {
    Q_OBJECT
public:
    explicit TUrikakeForm(FrontDesk &desk, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    void PrintButtonClick();

protected:
    MonthGrid compute() override;
};
