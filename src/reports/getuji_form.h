#pragma once
// TGetujiForm: the daily sales window (月次売上日計表). One row per day of the
// shown month and a totals row, recomputed from the bills settled in the
// month whenever the window is activated or the month changes; direct
// printing, after which a dated copy of reserve.dat is kept; CSV of the grid.

#include "reports/month_bar_form.h"
#include "reports/month_dates.h"
#include "reports/month_grid.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class FrontDesk;
class TMonthBar;
class TStringGridEx;

class TGetujiForm : public QWidget {
    Q_OBJECT
public:
    explicit TGetujiForm(FrontDesk &desk, QWidget *parent = nullptr);

    TMonthBar *MonthBar;
    QToolButton *PrintButton;
    QPushButton *CsvButton;
    QLabel *Label1;
    QLabel *Label2;
    TStringGridEx *Grid;

    // Closes an open bill window, then recomputes the shown month.
    void Refresh();
    const MonthGrid &shownGrid() const { return FShown; }
    // Rows 1 to 32 of the grid as shown, the fifteen columns that are read.
    std::vector<QStringList> gridRows() const;

    QSize sizeHint() const override { return FSize; }

    void PrintButtonClick();
    void CsvButtonClick();

protected:
    // Keeps the window's place in the settings file.
    void closeEvent(QCloseEvent *e) override;

private:
    void show(const ReportMonth &month, MonthGrid grid, const QStringList &carried);

    FrontDesk &Desk;
    QSize FSize;
    MonthGrid FShown;
    MonthRefresh FRefresh;
};
