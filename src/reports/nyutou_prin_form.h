#pragma once
// TNyutouPrinForm: the printed bathing-tax statement, A4 portrait. It prints
// the statement window's grid as shown: the 31 day rows and the totals row.

#include "printing/page_model.h"
#include "printing/ruled_table.h"
#include "storage/records.h"

#include <QString>
#include <QStringList>
#include <vector>

// The facility, for the town hall: name, address and telephone, one line
// each between left and right millimetres, at the top of a statement's band.
void addStatementFacility(printing::Band &band, const TBaseData &base, qreal left, qreal right);

class TNyutouPrinForm {
public:
    // dateLabel: the window's month title, as 2008年03月分; rows: the grid's
    // 32 rows (day label, then the seven figures); base: the facility whose
    // name, address and telephone head the statement.
    TNyutouPrinForm(const QString &dateLabel, std::vector<QStringList> rows, const TBaseData &base = TBaseData{});
    TNyutouPrinForm(const TNyutouPrinForm &) = delete;
    TNyutouPrinForm &operator=(const TNyutouPrinForm &) = delete;

    printing::PageModel Run();
    QString documentName() const; // 2008年03月分入湯税納入明細
    printing::Report &report() { return grid.rep; }

private:
    QString dateLabel;
    printing::RuledGridReport grid;
};
