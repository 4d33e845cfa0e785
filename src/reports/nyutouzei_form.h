#pragma once
// TNyutouzeiForm: the bathing-tax statement window (入湯税納入明細). One row
// per day of the shown month and a totals row, recomputed from every bill
// line whenever the window is activated or the month changes; a two-level
// heading above the grid; preview of the printed statement; CSV of the grid.

#include "reports/month_bar_form.h"
#include "reports/month_dates.h"
#include "reports/month_grid.h"

#include <QWidget>
#include <vector>

class QLabel;
class QPushButton;
class QToolButton;
class FrontDesk;
class TMonthBar;
class TStringGridEx;

class TNyutouzeiForm : public QWidget {
    Q_OBJECT
public:
    explicit TNyutouzeiForm(FrontDesk &desk, QWidget *parent = nullptr);

    TMonthBar *MonthBar;
    QToolButton *PrintButton;
    QPushButton *CsvButton;
    QLabel *Label1;
    TStringGridEx *Grid;

    // Closes an open bill window, then recomputes the shown month.
    void Refresh();
    // The month as last computed.
    const MonthGrid &shownGrid() const { return FShown; }
    // The grid's rows as shown, for the printed statement.
    std::vector<QStringList> gridRows() const;

    QSize sizeHint() const override { return FSize; }

    void PrintButtonClick();
    void CsvButtonClick();

protected:
    // Keeps the window's place in the settings file.
    void closeEvent(QCloseEvent *e) override;

private:
    // The two heading rows follow the grid's column widths.
    void layoutHeadings();
    struct Heading {
        class QLineEdit *box;
        int from, to, row, rows;
    };
    QWidget *HeadingPanel = nullptr;
    std::vector<Heading> FHeadings;
    void show(const ReportMonth &month, MonthGrid grid);

    FrontDesk &Desk;
    QSize FSize;
    MonthGrid FShown;
    MonthRefresh FRefresh;
};
