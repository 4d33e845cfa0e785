#pragma once
// The pieces every month report window shares: the month bar (the month
// title, ← and →), the "CSV保存" button's save of the grid, and the refresh
// rule with its activation hook.

#include "reports/month_grid.h"

#include <QDateTime>
#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;

// The month bar: DateLabel shows the shown month as "2008年03月分";
// SpeedButton1 (←) steps one month back and enables →; SpeedButton2 (→)
// steps one month forward and is disabled once the current month is reached.
// A step keeps the time of day and clamps the day to the month's length.
// Each step emits monthChanged; the window then refreshes.
class TMonthBar : public QWidget {
    Q_OBJECT
public:
    // ShownDate starts at now.
    explicit TMonthBar(const QDateTime &now, QWidget *parent = nullptr);

    QDateTime ShownDate() const { return FShownDate; }
    int year() const { return FShownDate.date().year(); }
    int month() const { return FShownDate.date().month(); }
    QString title() const; // the DateLabel text

    QLabel *DateLabel;
    QToolButton *SpeedButton1;
    QToolButton *SpeedButton2;

    void SpeedButton1Click();
    void SpeedButton2Click();

signals:
    void monthChanged();

private:
    void showTitle();
    QDateTime FShownDate;
};

// Asks where to save a CSV file; an empty text cancels. The default is the
// file dialog; tests replace it (an empty function restores the default).
using CsvPathChooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
void setCsvPathChooser(CsvPathChooser chooser);

// The "CSV保存" button's work: asks for a file (suggesting suggestedPath's
// file name, in the folder the last CSV file went to, at first
// suggestedPath's own) and writes the grid there as CSV through the safe
// writer, then says where it went. A grid that could not be computed, or a
// write that fails, is reported and nothing is written. True when a file was
// written.
bool saveMonthGridCsvFile(QWidget *parent, const MonthGrid &grid, const QString &suggestedPath);

// The button itself, named CsvButton.
class QPushButton;
QPushButton *makeCsvButton(QWidget *parent);

// The white top panel of a report window, named Panel1.
QWidget *makeReportPanel(QWidget *parent);
// The report window's print button, named PrintButton.
class QToolButton;
QToolButton *makePrintButton(QWidget *parent);

// Widens the columns whose drawn texts (headings included) would be cut:
// each column gets its designed width, or more where a text needs it. Rows
// made as they are painted count with their first 50 only.
class TStringGridEx;
void fitColumns(TStringGridEx *grid, const int *designedWidths, int count);

// A report sees a bill's latest lines only once its bill window has saved
// them: closes an open bill window as the user would (which saves it). True
// when no bill window remains open. Every report window goes through here.
class FrontDesk;
bool closeBillWindowFor(FrontDesk &desk);

// Every month window's refresh: it first closes an open bill window, then
// computes the grid and shows it. Closing the bill window moves the
// activation, which would refresh again, so a refresh under way ignores
// further ones. A grid that could not be computed is reported once, not at
// every activation.
class MonthRefresh {
public:
    void run(QWidget *window, FrontDesk &desk, const std::function<MonthGrid()> &compute,
             const std::function<void(MonthGrid)> &show);

private:
    bool running = false;
    QString lastError;
};

// Makes window refresh each time its frame in the main window is activated,
// so that it shows what other windows changed meanwhile.
void refreshOnActivation(QWidget *window, FrontDesk &desk, std::function<void()> refresh);

// The file name a report's CSV file is offered under, as sales-2008-03.csv.
QString monthCsvName(const QString &report, int year, int month);
