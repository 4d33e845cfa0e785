#pragma once
// The month reports from the command line, for the accountant's spreadsheet:
//
//   norvel --export bathing|sales|receivables|items|lodging --month YYYY-MM
//          [--category 0|1|2] --out FILE
//
// Reads the data files of the program directory without changing anything
// (it may run while the program is open at the desk), computes the month's
// grid as the report window shows it and writes it as CSV to FILE. Nothing
// else is written.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "storage/app_data.h"

#include <QString>
#include <QStringList>
#include <functional>

// Exit statuses of the export.
enum ExportStatus : int {
    ExportOk = 0,
    ExportUsage = 2,      // unknown report or option, malformed month or category
    ExportDataError = 3,  // a data file could not be read
    ExportNoResult = 4,   // the month cannot be computed (its sums do not fit)
    ExportWriteError = 5, // the output file could not be written
};

// One report the export knows: its name on the command line and its grid.
struct ExportReport {
    const char *name;
    std::function<MonthGrid(const AppData &data, const ReportMonth &month, int category)> grid;
};
const QList<ExportReport> &exportReports();

// True when the arguments (without the program name) ask for an export.
bool isExportCommand(const QStringList &args);

// Reads base.dat, the item files, reserve.dat, urikake.dat and the dated
// money settings of the settings file of exePath for reading only: a missing
// file counts as empty (base.dat and the settings as the defaults); a file
// that exists but cannot be read whole, or settings that cannot be read, are
// an error.
bool readReportData(AppData &data, const QString &exePath, QString *error);

// Runs the export; the message of a failure (one line) goes to *message.
int runMonthExport(const QStringList &args, const QString &exePath, QString *message);
