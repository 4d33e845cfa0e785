#pragma once
// TGetujioptPrinForm: the printed sales per item, A4 portrait. It prints the
// sales window's grid as shown, under the category chosen in the window.

#include "printing/page_model.h"
#include "printing/ruled_table.h"

#include <QString>
#include <QStringList>
#include <vector>

class TGetujioptPrinForm {
public:
    // dateLabel: the window's month title; kindText: the chosen category's
    // text (オプション明細); rows: the grid's rows below the headings
    // (科目コード, 項目, 数量, 金額).
    TGetujioptPrinForm(const QString &dateLabel, const QString &kindText, std::vector<QStringList> rows);
    TGetujioptPrinForm(const TGetujioptPrinForm &) = delete;
    TGetujioptPrinForm &operator=(const TGetujioptPrinForm &) = delete;

    printing::PageModel Run();
    QString documentName() const; // 2008年03月分　オプション明細売上集計表
    printing::Report &report() { return grid.rep; }

private:
    QString dateLabel, kindText;
    printing::RuledGridReport grid;
};
