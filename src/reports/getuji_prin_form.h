#pragma once
// TGetujiPrinForm: the printed daily sales report, A4 landscape. It prints
// the sales window's grid as shown: the 31 day rows and the totals row, in
// the fifteen columns that are read, and a month's breakdown by rate.

#include "printing/page_model.h"
#include "printing/ruled_table.h"

#include <QString>
#include <QStringList>
#include <vector>

class TGetujiPrinForm {
public:
    // dateLabel: the window's month title, as 2008年03月分; rows: the grid's
    // rows below the headings (day label, then the fourteen amounts), the
    // breakdown by rate after the totals printed below the footing;
    // taxHeading: the window's tax heading (内消費税10%), printed without 内.
    TGetujiPrinForm(const QString &dateLabel, std::vector<QStringList> rows,
                    const QString &taxHeading = QString());
    TGetujiPrinForm(const TGetujiPrinForm &) = delete;
    TGetujiPrinForm &operator=(const TGetujiPrinForm &) = delete;

    printing::PageModel Run();
    QString documentName() const; // 2008年03月分　売上集計表
    printing::Report &report() { return grid.rep; }

private:
    void setNumberSize(printing::Band &band) const;

    QString dateLabel;
    std::vector<QStringList> breakdown; // the rows after the totals
    qreal numberPt;                     // the size of every figure
    printing::RuledGridReport grid;
};
