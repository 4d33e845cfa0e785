#include "reports/month_bar_form.h"

#include "controls/string_grid_ex.h"
#include "reports/report_month.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/file_folders.h"
#include "storage/safe_file.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {
CsvPathChooser csvChooser;
}

TMonthBar::TMonthBar(const QDateTime &now, QWidget *parent)
    : QWidget(parent), FShownDate(now)
{
    DateLabel = new QLabel(this);
    DateLabel->setObjectName(QStringLiteral("DateLabel"));
    QFont big = DateLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    DateLabel->setFont(big);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("←"));
    SpeedButton1->setToolTip(QStringLiteral("前日へ"));
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("→"));
    SpeedButton2->setToolTip(QStringLiteral("翌日へ"));
    for (QToolButton *b : {SpeedButton1, SpeedButton2}) {
        b->setAutoRaise(true);
        b->setMinimumSize(28, 28);
    }

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(SpeedButton1);
    row->addWidget(DateLabel);
    row->addWidget(SpeedButton2);

    connect(SpeedButton1, &QToolButton::clicked, this, &TMonthBar::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMonthBar::SpeedButton2Click);
    showTitle();
}

QString TMonthBar::title() const
{
    return ReportMonth(FShownDate.date()).title();
}

void TMonthBar::showTitle()
{
    DateLabel->setText(title());
}

void TMonthBar::SpeedButton1Click()
{
    FShownDate = reports::stepMonth(FShownDate, -1);
    showTitle();
    emit monthChanged();
    SpeedButton2->setEnabled(true);
}

void TMonthBar::SpeedButton2Click()
{
    FShownDate = reports::stepMonth(FShownDate, 1);
    showTitle();
    emit monthChanged();
    if (!reports::forwardAllowed(FShownDate, Clock::now()))
        SpeedButton2->setEnabled(false);
}

void setCsvPathChooser(CsvPathChooser chooser)
{
    csvChooser = std::move(chooser);
}

bool saveMonthGridCsvFile(QWidget *parent, const MonthGrid &grid, const QString &suggestedPath)
{
    if (!grid.error.isEmpty()) {
        ShowMessage(parent, QStringLiteral("エラー"), grid.error);
        return false;
    }
    // The dialog starts where the last CSV file went, at first in the clerk's Documents.
    const QFileInfo suggested(suggestedPath);
    const QString start = QDir(filefolders::startFolder(QStringLiteral("CSV"), filefolders::documentsFolder()))
                              .filePath(suggested.fileName());
    const QString path = csvChooser
        ? csvChooser(parent, start)
        : QFileDialog::getSaveFileName(parent, QStringLiteral("CSVファイルとして保存"), start,
                                       QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    const QByteArray bytes = monthGridCsv(grid);
    QString error;
    if (!writeFileAtomically(path, bytes.constData(), std::size_t(bytes.size()), &error)) {
        ShowMessage(parent, QStringLiteral("エラー"), error);
        return false;
    }
    filefolders::remember(QStringLiteral("CSV"), path);
    ShowMessage(parent, QStringLiteral("メッセージ"), filefolders::savedFileMessage(QStringLiteral("CSVファイル"), path));
    return true;
}

QPushButton *makeCsvButton(QWidget *parent)
{
    auto *b = new QPushButton(QStringLiteral("CSV保存"), parent);
    b->setObjectName(QStringLiteral("CsvButton"));
    b->setToolTip(QStringLiteral("表示中の月の表をCSVファイルに保存します"));
    return b;
}

QWidget *makeReportPanel(QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    return panel;
}

QToolButton *makePrintButton(QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QStringLiteral("PrintButton"));
    b->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                b->style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
    b->setText(QStringLiteral("印刷"));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setToolTip(QStringLiteral("領収書を印刷します"));
    b->setMinimumHeight(30);
    return b;
}

bool closeBillWindowFor(FrontDesk &desk)
{
    return desk.closeBillWindow();
}

void MonthRefresh::run(QWidget *window, FrontDesk &desk, const std::function<MonthGrid()> &compute,
                       const std::function<void(MonthGrid)> &show)
{
    if (running)
        return;
    running = true;
    closeBillWindowFor(desk);
    MonthGrid grid = compute();
    const QString error = grid.error;
    show(std::move(grid));
    if (!error.isEmpty() && error != lastError)
        ShowMessage(window, QStringLiteral("エラー"), error);
    lastError = error;
    running = false;
}

void refreshOnActivation(QWidget *window, FrontDesk &desk, std::function<void()> refresh)
{
    QObject::connect(desk.mdiArea(), &QMdiArea::subWindowActivated, window,
                     [window, refresh = std::move(refresh)](QMdiSubWindow *sub) {
                         if (sub && sub->widget() == window)
                             refresh();
                     });
}

QString monthCsvName(const QString &report, int year, int month)
{
    return QStringLiteral("%1-%2-%3.csv")
        .arg(report)
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

void fitColumns(TStringGridEx *grid, const int *designedWidths, int count)
{
    // Rows made as they are painted are too many to measure: the first
    // screenful stands for them.
    const int rowCount = grid->HasVirtualRows() ? std::min(grid->RowCount(), grid->FixedRows() + 50) : grid->RowCount();
    for (int c = 0; c < count && c < grid->ColCount(); ++c) {
        TGridColumn *col = grid->GridColumns()[c];
        int need = designedWidths[c];
        if (need > 4) { // the narrow working columns stay as they are
            for (int r = 0; r < rowCount; ++r) {
                const QFontMetrics fm(r < grid->FixedRows() ? col->FixCellFont() : col->Font());
                need = std::max(need, fm.horizontalAdvance(grid->CellDrawText(c, r)) + 8);
            }
        }
        if (grid->ColWidths(c) != need)
            grid->SetColWidths(c, need);
    }
}
