#pragma once
// The frame shared by the month windows: a white top panel holding the month
// bar, the window's buttons and notes, and the grid below it. Refresh first
// closes an open bill window, which saves the bill, so that the grid sees the
// bill's latest lines, then recomputes the grid. It runs after each month
// step and, for the windows that say so, every time the window is activated.

#include "reports/month_bar_form.h"
#include "reports/month_grid.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class QHBoxLayout;
class QPushButton;
class QToolButton;
class FrontDesk;
class TMonthBar;
class TStringGridEx;

struct MonthGridColumn {
    int width;         // pixels
    int alignment;     // TColumnAlignment
    const char *mask;  // display mask, "" for none
};

class TMonthWindow : public QWidget {
    Q_OBJECT
public:
    FrontDesk &desk() const { return Desk; }
    TMonthBar *MonthBar = nullptr;
    QToolButton *PrintButton = nullptr;
    QPushButton *CsvButton = nullptr; // for the windows that save CSV
    TStringGridEx *Grid = nullptr;

    // Closes an open bill window, then recomputes and shows the grid.
    void Refresh();
    // The grid as it is shown, headings and every row below them: what the
    // CSV file and the printouts take. (Headings only where the rows are
    // made as they are painted.)
    const MonthGrid &shownGrid() const { return FShown; }

    // Wide enough for every column of the grid.
    QSize sizeHint() const override;

protected:
    // storePlacement: whether the window's place is kept in the settings file.
    TMonthWindow(FrontDesk &desk, const QString &componentName, const QString &caption, bool refreshWhenActivated,
                 bool storePlacement, QWidget *parent);

    // The window's grid for the shown month.
    virtual MonthGrid compute() = 0;

    void setColumns(const QStringList &headings, const QList<MonthGridColumn> &columns);
    // For listings too long to hold as texts (every record of a file): the
    // rows below compute()'s headings number count() at each refresh, and a
    // cell's text is made by cell(col, row) when the grid paints or reads it.
    // cell must answer any row, also one the list no longer has (empty).
    void setLazyRows(std::function<int()> count, std::function<QString(int col, int row)> cell);
    // A grid that could not be computed is reported (once, not at every
    // activation) and shows no rows.
    void showGrid(MonthGrid grid);
    // The top panel's rows: the month bar's row, then a row of notes.
    void addToTop(QWidget *w, int stretch = 0);
    void addNote(QWidget *w);
    // The "CSV保存" button: saves shownGrid(), suggesting suggestedName() in the program directory.
    void addCsvButton(const std::function<QString()> &suggestedName);

    void closeEvent(QCloseEvent *e) override;

    FrontDesk &Desk;
    MonthGrid FShown;

private:
    QHBoxLayout *FTopRow = nullptr;
    QHBoxLayout *FNoteRow = nullptr;
    MonthRefresh FRefresh;
    std::vector<int> FWidths; // designed column widths
    std::function<int()> FLazyCount;
    std::function<QString(int, int)> FLazyCell;
    bool FStorePlacement;
};
