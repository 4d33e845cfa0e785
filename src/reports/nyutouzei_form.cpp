#include "reports/nyutouzei_form.h"

#include "controls/string_grid_ex.h"
#include "reports/month_bar_form.h"
#include "reports/nyutou_prin_form.h"
#include "reports/nyutouzei.h"
#include "reports/report_month.h"
#include "shell/document_output.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "storage/clock.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kColumns = 8;
constexpr int kRows = reports::DayRows + 1;
const int kWidths[kColumns] = {50, 52, 75, 51, 76, 57, 50, 52};

// The teal boxes of the two-level heading over the grid's columns.
QLineEdit *headingBox(QWidget *parent, const QString &text)
{
    auto *e = new QLineEdit(text, parent);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignCenter);
    e->setFrame(false);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, QColor(0, 128, 128));
    p.setColor(QPalette::Text, Qt::white);
    e->setPalette(p);
    return e;
}
} // namespace

TNyutouzeiForm::TNyutouzeiForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("NyutouzeiForm"));
    setWindowTitle(QStringLiteral("入湯税納入明細"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *top = makeReportPanel(this);

    MonthBar = new TMonthBar(Clock::now(), top);
    PrintButton = makePrintButton(top);
    CsvButton = makeCsvButton(top);
    Label1 = new QLabel(QStringLiteral("A4サイズの用紙をセットしてください"), top);
    Label1->setObjectName(QStringLiteral("Label1"));

    Grid = new TStringGridEx(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->SetColCount(kColumns);
    Grid->SetRowCount(kRows);
    Grid->SetFixedRows(0);
    Grid->SetFixedCols(0);
    Grid->SetOptions(Grid->Options() & ~TGridOptions(goEditing));
    // Start at the top-left cell, the day column in view.
    Grid->FocusCell(0, Grid->FixedRows());
    Grid->SetLeftCol(0);
    Grid->SetTopRow(Grid->FixedRows());
    for (int c = 0; c < kColumns; ++c) {
        Grid->SetColWidths(c, kWidths[c]);
        TGridColumn *col = Grid->GridColumns()[c];
        col->SetCanEdit(false);
        col->SetAlignment(c == 0 ? taCenter : taRightJustify);
    }

    // Two heading rows placed over the grid's columns.
    HeadingPanel = new QWidget(this);
    HeadingPanel->setObjectName(QStringLiteral("HeadingPanel"));
    const auto box = [&](const QString &text, int from, int to, int row, int rows) {
        FHeadings.push_back({headingBox(HeadingPanel, text), from, to, row, rows});
    };
    box(QStringLiteral("日"), 0, 0, 0, 2);
    box(QStringLiteral("宿泊"), 1, 2, 0, 1);
    box(QStringLiteral("日帰り"), 3, 4, 0, 1);
    box(QStringLiteral("課税免除"), 5, 7, 0, 1);
    const char *lower[] = {"人数", "金額", "人数", "金額", "12歳未満", "他免除", "人数計"};
    for (int c = 1; c < kColumns; ++c)
        box(QString::fromUtf8(lower[c - 1]), c, c, 1, 1);

    auto *row1 = new QHBoxLayout;
    row1->addWidget(MonthBar);
    row1->addStretch();
    row1->addWidget(PrintButton);
    row1->addWidget(CsvButton);
    auto *panel = new QVBoxLayout(top);
    panel->addLayout(row1);
    panel->addWidget(Label1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addSpacing(4);
    layout->addWidget(HeadingPanel);
    layout->addWidget(Grid, 1);
    layoutHeadings();
    resize(FSize);

    connect(MonthBar, &TMonthBar::monthChanged, this, &TNyutouzeiForm::Refresh);
    connect(PrintButton, &QToolButton::clicked, this, &TNyutouzeiForm::PrintButtonClick);
    connect(CsvButton, &QPushButton::clicked, this, &TNyutouzeiForm::CsvButtonClick);
    refreshOnActivation(this, Desk, [this] { Refresh(); });
    Refresh();
}

void TNyutouzeiForm::Refresh()
{
    const ReportMonth month(MonthBar->ShownDate().date());
    FRefresh.run(this, Desk, [&] { return nyutouzeiMonth(Desk.data(), month); },
                 [&](MonthGrid grid) { show(month, std::move(grid)); });
}

void TNyutouzeiForm::show(const ReportMonth &month, MonthGrid grid)
{
    FShown = std::move(grid);
    Grid->SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
        QStringList cells = r < int(FShown.rows.size()) ? FShown.rows[r] : QStringList{reports::rowLabel(month, r)};
        Grid->SetRows(r, cells);
    }
    fitColumns(Grid, kWidths, kColumns);
    layoutHeadings();
}

void TNyutouzeiForm::layoutHeadings()
{
    const int rowH = 22;
    const int gap = Grid->GridLineWidth();
    int left[kColumns + 1];
    left[0] = Grid->frameWidth();
    for (int c = 0; c < kColumns; ++c)
        left[c + 1] = left[c] + Grid->ColWidths(c) + gap;
    for (const Heading &h : FHeadings)
        h.box->setGeometry(left[h.from], h.row * rowH, left[h.to + 1] - left[h.from] - gap, h.rows * rowH - 1);
    HeadingPanel->setFixedSize(left[kColumns] + 20, 2 * rowH);
    FSize = QSize(left[kColumns] + 40, 820);
}

std::vector<QStringList> TNyutouzeiForm::gridRows() const
{
    std::vector<QStringList> rows;
    for (int r = 0; r < Grid->RowCount(); ++r)
        rows.push_back(Grid->Rows(r).mid(0, kColumns));
    return rows;
}

void TNyutouzeiForm::PrintButtonClick()
{
    // A month that could not be summed is not printed as an empty sheet.
    if (!FShown.error.isEmpty()) {
        ShowMessage(this, QStringLiteral("エラー"), FShown.error);
        return;
    }
    TNyutouPrinForm form(MonthBar->title(), gridRows(), Desk.data().BaseData);
    printing::previewDocument(this, form.Run(), form.documentName());
}

void TNyutouzeiForm::CsvButtonClick()
{
    const QString name = monthCsvName(QStringLiteral("bathing"), MonthBar->year(), MonthBar->month());
    saveMonthGridCsvFile(this, FShown, Desk.data().ExePath + name);
}

void TNyutouzeiForm::closeEvent(QCloseEvent *e)
{
    SaveFormPlacement(Desk.library(), this, Desk.data().iniPath());
    e->accept();
}
