#pragma once
// MonthGrid: the cells of one month report as its window shows them, the
// common currency of the report computations, the report windows and the
// CSV export.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

struct MonthGrid {
    // Column headings as the window shows them; a two-level heading is
    // joined with a space ("宿泊 人数").
    QStringList headings;
    // Every grid row below the headings, totals row included. Cells hold
    // plain integers without separators; empty cells stay empty.
    std::vector<QStringList> rows;
    // Set when the month cannot be computed (for instance a sum that does
    // not fit); the rows are then empty.
    QString error;
};

// Empties the cells of the given columns that hold 0. The windows show
// those columns through a number picture that leaves 0 blank, and the grid,
// and so the CSV file, holds what the window shows.
void blankZeroCells(MonthGrid &grid, std::initializer_list<int> columns);

// The grid as a CSV file for spreadsheet programs: UTF-8 with a byte-order
// mark, CR LF line ends, fields quoted where they hold a comma, a quote or a
// line break (quotes doubled). The first line holds the headings.
QByteArray monthGridCsv(const MonthGrid &grid);
