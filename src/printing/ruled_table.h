#pragma once
// A ruled table on the report layer: a row of filled heading cells and a
// detail band of framed cells whose texts come from the row being printed.
// The monthly printouts are such tables, each with its own column places.
//
//   | heading | heading |   <- filled cells, bold captions centred
//   | text    |   1,234 |   <- framed cells, one band per row

#include "printing/report.h"

#include <QColor>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace printing {

struct RuledColumn {
    enum Place { Centre, Left, Right };
    QString heading;
    qreal left = 0, width = 0;  // the cell, from the band's left edge
    Place place = Left;
    qreal at = 0;               // Centre: the text's middle; Left: its start; Right: its end
    QString picture;            // not empty: the cell is a number printed through this picture
    bool blankZero = false;     // a picture cell holding 0 prints nothing
};

// The very light cyan of the heading cells.
inline const QColor kHeadingFill = QColor(0xF3, 0xFF, 0xFF);

// Where a column's cell is drawn and which of its upright sides it frames,
// so that a border two cells share is drawn once: a cell starting within
// half a millimetre of the one before leaves its left side to it, and a cell
// ending a little (up to 2 mm) short of the next one reaches it. A row's top
// and bottom are each one rule across the row.
struct CellFrame {
    qreal left = 0, width = 0;
    Qt::Edges sides;
};
QList<CellFrame> cellFrames(const QList<RuledColumn> &columns);

// Adds the heading cells, cellHeight high, at the band's top, and the rules
// above (<prefix>Top) and below them (<prefix>Bottom); without topEdge the
// rule above is left to whatever lies just above.
void addRuledHeadings(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                      const QString &namePrefix, bool topEdge = true);
// Adds the framed cells and their texts; cell(i) gives the text of column i
// for the row being printed. A picture column prints nothing for an empty
// text and the number through its picture otherwise. A row has its rule
// below (<prefix>Bottom); its top is the bottom of the row or the headings
// above it.
void addRuledDetail(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                    const QString &namePrefix, const std::function<QString(int)> &cell);

// "2 / 3": the page number of a printout of several pages.
QString pageOfPages(int page, int count);

// A cell text through a digit picture: empty stays empty; a text that is not
// a whole number prints as it is.
QString ruledPictureText(const QString &text, const QString &picture);

// The printout of a window's grid: an A4 report with 10 mm margins whose
// detail band prints the grid's rows in order, one band each, as framed
// cells. The printout adds its title and headings to rep.
class RuledGridReport {
public:
    RuledGridReport(std::vector<QStringList> rows, QPageLayout::Orientation orientation);
    RuledGridReport(const RuledGridReport &) = delete;
    RuledGridReport &operator=(const RuledGridReport &) = delete;

    // The detail band, bandHeight high, with cells of the columns.
    void setDetail(const QList<RuledColumn> &columns, qreal cellHeight, qreal bandHeight, qreal textTop);
    // Adds "n / m" to the band (a page header), right-aligned at the right
    // margin, y from the band's top.
    void addPageNumber(Band &band, qreal y);
    // Lays out every row from the first.
    PageModel layout();

    Report rep;

private:
    std::vector<QStringList> rows;
    std::size_t next = 0;    // next row to print
    std::size_t current = 0; // row being printed
};

} // namespace printing
