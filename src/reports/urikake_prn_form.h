#pragma once
// TUrikakePrnForm: the printed receivables statement, A4 portrait. It prints
// the receivables window's grid as shown: every row below the headings, the
// totals row last.

#include "printing/page_model.h"
#include "printing/ruled_table.h"

#include <QString>
#include <QStringList>
#include <vector>

class TUrikakePrnForm {
public:
    // dateLabel: the window's month title, as 2008年03月分; rows: the grid's
    // rows below the headings (日, 請求番号, 使用者, 売掛種別, 金額).
    TUrikakePrnForm(const QString &dateLabel, std::vector<QStringList> rows);
    TUrikakePrnForm(const TUrikakePrnForm &) = delete;
    TUrikakePrnForm &operator=(const TUrikakePrnForm &) = delete;

    printing::PageModel Run();
    QString documentName() const; // 2008年03月分　売掛金月次明細表
    printing::Report &report() { return grid.rep; }

private:
    QString dateLabel;
    printing::RuledGridReport grid;
};
