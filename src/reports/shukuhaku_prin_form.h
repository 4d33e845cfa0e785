#pragma once
// TShukuhakuPrinForm: the printed accommodation-tax statement, A4 landscape:
// the month, the inn's name, address and telephone at the top, then the
// statement window's grid as shown, one column per tier.

#include "printing/page_model.h"
#include "printing/ruled_table.h"
#include "reports/month_grid.h"
#include "storage/records.h"

#include <QString>

class TShukuhakuPrinForm {
public:
    // dateLabel: the window's month title, as 2026年03月分; grid: the statement as shown.
    TShukuhakuPrinForm(const QString &dateLabel, const MonthGrid &grid, const TBaseData &base);
    TShukuhakuPrinForm(const TShukuhakuPrinForm &) = delete;
    TShukuhakuPrinForm &operator=(const TShukuhakuPrinForm &) = delete;

    printing::PageModel Run();
    QString documentName() const; // 2026年03月分宿泊税納入明細
    printing::Report &report() { return grid.rep; }

private:
    QString dateLabel;
    printing::RuledGridReport grid;
};
