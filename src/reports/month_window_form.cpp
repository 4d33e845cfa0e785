#include "reports/month_window_form.h"

#include "controls/string_grid_ex.h"
#include "reports/month_bar_form.h"
#include "shell/front_desk.h"
#include "shell/placement.h"
#include "storage/clock.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TMonthWindow::TMonthWindow(FrontDesk &desk, const QString &componentName, const QString &caption,
                           bool refreshWhenActivated, bool storePlacement, QWidget *parent)
    : QWidget(parent), Desk(desk), FStorePlacement(storePlacement)
{
    setObjectName(componentName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *panel = makeReportPanel(this);

    MonthBar = new TMonthBar(Clock::now(), panel);
    MonthBar->setObjectName(QStringLiteral("MonthBar"));
    connect(MonthBar, &TMonthBar::monthChanged, this, &TMonthWindow::Refresh);

    PrintButton = makePrintButton(panel);

    FTopRow = new QHBoxLayout;
    FTopRow->addWidget(MonthBar);
    FTopRow->addSpacing(16);
    FTopRow->addWidget(PrintButton);
    FNoteRow = new QHBoxLayout;
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(FTopRow);
    panelLayout->addLayout(FNoteRow);

    Grid = new TStringGridEx(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(1);
    Grid->SetDefaultRowHeight(20);
    Grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(Grid, 1);

    if (refreshWhenActivated)
        refreshOnActivation(this, Desk, [this] { Refresh(); });
}

void TMonthWindow::addToTop(QWidget *w, int stretch)
{
    FTopRow->addWidget(w, stretch);
}

void TMonthWindow::addNote(QWidget *w)
{
    FNoteRow->addWidget(w);
}

void TMonthWindow::addCsvButton(const std::function<QString()> &suggestedName)
{
    CsvButton = makeCsvButton(this);
    CsvButton->setMinimumHeight(30);
    addToTop(CsvButton);
    connect(CsvButton, &QPushButton::clicked, this, [this, suggestedName] {
        saveMonthGridCsvFile(this, FShown, Desk.data().ExePath + suggestedName());
    });
}

void TMonthWindow::setColumns(const QStringList &headings, const QList<MonthGridColumn> &columns)
{
    Grid->SetColCount(int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        TGridColumn *gc = Grid->GridColumns()[c];
        gc->SetCaption(c < headings.size() ? headings[c] : QString());
        gc->SetCanEdit(false);
        gc->SetAlignment(TColumnAlignment(columns[c].alignment));
        gc->SetDisplayMask(QString::fromUtf8(columns[c].mask));
        Grid->SetColWidths(c, columns[c].width);
    }
    FShown.headings = headings;
    Grid->SetRowCount(2);
    Grid->SetFixedRows(1);
    FWidths.clear();
    for (const MonthGridColumn &c : columns)
        FWidths.push_back(c.width);
    // Start at the top-left cell, the first column in view.
    Grid->FocusCell(0, 1);
    Grid->SetLeftCol(0);
}

QSize TMonthWindow::sizeHint() const
{
    int width = 2 * Grid->frameWidth() + 24; // frame and vertical scroll bar
    for (int c = 0; c < Grid->ColCount(); ++c)
        width += Grid->ColWidths(c) + Grid->GridLineWidth();
    return QSize(std::max(width, QWidget::sizeHint().width()), 560);
}

void TMonthWindow::Refresh()
{
    FRefresh.run(this, Desk, [this] { return compute(); }, [this](MonthGrid grid) { showGrid(std::move(grid)); });
}

void TMonthWindow::setLazyRows(std::function<int()> count, std::function<QString(int col, int row)> cell)
{
    FLazyCount = std::move(count);
    FLazyCell = std::move(cell);
}

void TMonthWindow::showGrid(MonthGrid grid)
{
    if (!grid.error.isEmpty())
        grid.rows.clear();
    for (int c = 0; c < grid.headings.size() && c < Grid->ColCount(); ++c)
        if (TGridColumn *gc = Grid->GridColumns()[c])
            gc->SetCaption(grid.headings[c]);
    if (FLazyCount) {
        // A grid keeps one data row even when empty.
        Grid->SetVirtualRows(std::max(grid.error.isEmpty() ? FLazyCount() : 0, 1), FLazyCell);
    } else {
        // Row 0 holds the headings; a grid keeps one data row even when empty.
        const int rows = int(grid.rows.size());
        Grid->SetRowCount(std::max(rows, 1) + 1);
        Grid->SetFixedRows(1);
        for (int r = 0; r < rows; ++r)
            Grid->SetRows(r + 1, grid.rows[size_t(r)]);
        if (rows == 0)
            Grid->SetRows(1, {});
    }
    // Columns widen where a figure or a name would be cut.
    fitColumns(Grid, FWidths.data(), int(FWidths.size()));
    FShown = std::move(grid);
}

void TMonthWindow::closeEvent(QCloseEvent *e)
{
    if (FStorePlacement)
        SaveFormPlacement(Desk.library(), this, Desk.data().iniPath());
    e->accept();
}
