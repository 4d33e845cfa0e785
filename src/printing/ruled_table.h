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
#include <QString>
#include <functional>

namespace printing {

struct RuledColumn {
    enum Place { Centre, Left, Right };
    QString heading;
    qreal left = 0, width = 0;  // the cell, from the band's left edge
    Place place = Left;
    qreal at = 0;               // Centre: the text's middle; Left: its start; Right: its end
    QString picture;            // not empty: the cell is a number printed through this picture
};

// The very light cyan of the heading cells.
inline const QColor kHeadingFill = QColor(0xF3, 0xFF, 0xFF);

// Adds the heading cells, cellHeight high, at the band's top.
void addRuledHeadings(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                      const QString &namePrefix);
// Adds the framed cells and their texts; cell(i) gives the text of column i
// for the row being printed. A picture column prints nothing for an empty
// text and the number through its picture otherwise.
void addRuledDetail(Band &band, const QList<RuledColumn> &columns, qreal cellHeight, qreal textTop,
                    const QString &namePrefix, const std::function<QString(int)> &cell);

// A cell text through a digit picture: empty stays empty; a text that is not
// a whole number prints as it is.
QString ruledPictureText(const QString &text, const QString &picture);

} // namespace printing
