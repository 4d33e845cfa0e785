#include "reports/getuji_form.h"

#include "controls/string_grid_ex.h"
#include "reports/getuji.h"
#include "reports/getuji_prin_form.h"
#include "reports/month_bar_form.h"
#include "reports/report_month.h"
#include "shell/document_output.h"
#include "shell/front_desk.h"
#include "shell/placement.h"
#include "shell/message_box.h"
#include "storage/app_data.h"
#include "storage/clock.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Fifteen columns that are read, the working column of the day's charges
// as of its previous bill end, and one that stays empty.
constexpr int kColumns = GetujiColumns + 2;
constexpr int kRows = reports::DayRows + 2; // headings, 31 days, totals
const int kWidths[kColumns] = {36, 89, 100, 64, 81, 76, 47, 54, 68, 58, 47, 77, 47, 57, 60, 2, 2};
} // namespace

TGetujiForm::TGetujiForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("GetujiForm"));
    setWindowTitle(QStringLiteral("月次売上日計表"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *top = makeReportPanel(this);

    MonthBar = new TMonthBar(Clock::now(), top);
    PrintButton = makePrintButton(top);
    CsvButton = makeCsvButton(top);
    Label1 = new QLabel(QStringLiteral("清算日による売上集計表"), top);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("A4サイズの用紙をセットしてください"), top);
    Label2->setObjectName(QStringLiteral("Label2"));

    Grid = new TStringGridEx(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetColCount(kColumns);
    Grid->SetRowCount(kRows);
    Grid->SetFixedRows(1);
    Grid->SetFixedCols(0);
    Grid->SetOptions(Grid->Options() & ~TGridOptions(goEditing));
    // Start at the top-left cell, the day column in view.
    Grid->FocusCell(0, Grid->FixedRows());
    Grid->SetLeftCol(0);
    Grid->SetTopRow(Grid->FixedRows());
    int width = 2 * Grid->frameWidth();
    for (int c = 0; c < kColumns; ++c) {
        Grid->SetColWidths(c, kWidths[c]);
        width += kWidths[c] + Grid->GridLineWidth();
        TGridColumn *col = Grid->GridColumns()[c];
        col->SetCanEdit(false);
        col->SetAlignment(c == 0 ? taCenter : c < GetujiColumns ? taRightJustify : taLeftJustify);
        if (c >= 1 && c < GetujiColumns)
            col->SetDisplayMask(QStringLiteral("###,###,###"));
    }

    auto *row1 = new QHBoxLayout;
    row1->addWidget(MonthBar);
    row1->addSpacing(16);
    row1->addWidget(Label1);
    row1->addStretch();
    row1->addWidget(Label2);
    row1->addWidget(PrintButton);
    row1->addWidget(CsvButton);
    auto *panel = new QVBoxLayout(top);
    panel->addLayout(row1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(Grid, 1);
    FSize = QSize(width + 20, 760);
    resize(FSize);

    connect(MonthBar, &TMonthBar::monthChanged, this, &TGetujiForm::Refresh);
    connect(PrintButton, &QToolButton::clicked, this, &TGetujiForm::PrintButtonClick);
    connect(CsvButton, &QPushButton::clicked, this, &TGetujiForm::CsvButtonClick);
    refreshOnActivation(this, Desk, [this] { Refresh(); });
    Refresh();
}

void TGetujiForm::Refresh()
{
    const ReportMonth month(MonthBar->ShownDate().date());
    QStringList carried;
    FRefresh.run(this, Desk, [&] { return getujiMonth(Desk.data(), month, &carried); },
                 [&](MonthGrid grid) { show(month, std::move(grid), carried); });
}

void TGetujiForm::show(const ReportMonth &month, MonthGrid grid, const QStringList &carried)
{
    FShown = std::move(grid);
    // The day rows and the totals, and below them the breakdown by rate of a month of two rates.
    const int rows = 1 + std::max(kRows - 1, int(FShown.rows.size()));
    Grid->SetRowCount(rows);
    // The headings that follow the settings are written at each refresh.
    Grid->SetRows(0, FShown.headings);
    for (int r = 0; r < rows - 1; ++r) {
        QStringList cells =
            r < int(FShown.rows.size()) ? FShown.rows[r] : QStringList{reports::rowLabel(month, r)};
        while (cells.size() < GetujiColumns)
            cells << QString();
        cells << (r < carried.size() ? carried[r] : QString()) << QString();
        Grid->SetRows(r + 1, cells);
    }
    fitColumns(Grid, kWidths, kColumns);
    int width = 2 * Grid->frameWidth() + 20;
    for (int c = 0; c < kColumns; ++c)
        width += Grid->ColWidths(c) + Grid->GridLineWidth();
    FSize.setWidth(width);
}

std::vector<QStringList> TGetujiForm::gridRows() const
{
    std::vector<QStringList> rows;
    for (int r = 1; r < Grid->RowCount(); ++r)
        rows.push_back(Grid->Rows(r).mid(0, GetujiColumns));
    return rows;
}

void TGetujiForm::PrintButtonClick()
{
    // A month that could not be summed is not printed as an empty sheet.
    if (!FShown.error.isEmpty()) {
        ShowMessage(this, QStringLiteral("エラー"), FShown.error);
        return;
    }
    TGetujiPrinForm form(MonthBar->title(), gridRows(), FShown.headings.value(GTax));
    const printing::PrintOutcome outcome = printing::printDocument(this, form.Run(), 1, form.documentName());
    if (outcome != printing::PrintOutcome::Printed && outcome != printing::PrintOutcome::SavedPdf)
        return;
    // The month's printout is the moment to keep a dated copy of every bill line.
    QString error;
    if (!backupReserveList(Desk.data(), Desk.library(), Clock::now().date(), &error))
        ShowMessage(this, QStringLiteral("エラー"), error);
}

void TGetujiForm::CsvButtonClick()
{
    const QString name = monthCsvName(QStringLiteral("sales"), MonthBar->year(), MonthBar->month());
    saveMonthGridCsvFile(this, FShown, Desk.data().ExePath + name);
}

void TGetujiForm::closeEvent(QCloseEvent *e)
{
    SaveFormPlacement(Desk.library(), this, Desk.data().iniPath());
    e->accept();
}
