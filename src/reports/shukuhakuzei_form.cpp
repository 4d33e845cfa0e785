#include "reports/shukuhakuzei_form.h"

#include "controls/string_grid_ex.h"
#include "reports/lodging_statement.h"
#include "reports/month_bar_form.h"
#include "reports/shukuhaku_prin_form.h"
#include "shell/document_output.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"

#include <QLabel>
#include <QToolButton>

TShukuhakuzeiForm::TShukuhakuzeiForm(FrontDesk &desk, QWidget *parent)
    : TMonthWindow(desk, QStringLiteral("ShukuhakuzeiForm"), QStringLiteral("宿泊税納入明細"), true, true, parent)
{
    Label1 = new QLabel(QStringLiteral("A4サイズの用紙（横）をセットしてください"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    addCsvButton([this] { return monthCsvName(QStringLiteral("lodging"), MonthBar->year(), MonthBar->month()); });
    addToTop(new QWidget(this), 1);
    addNote(Label1);
    UndatedLabel = new QLabel(this);
    UndatedLabel->setObjectName(QStringLiteral("UndatedLabel"));
    UndatedLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    UndatedLabel->setWordWrap(true);
    UndatedLabel->hide();
    addNote(UndatedLabel);
    connect(PrintButton, &QToolButton::clicked, this, &TShukuhakuzeiForm::PrintButtonClick);
    Refresh();
    resize(sizeHint());
}

MonthGrid TShukuhakuzeiForm::compute()
{
    const ReportMonth month(MonthBar->year(), MonthBar->month());
    MonthGrid grid = lodgingTaxMonth(Desk.data(), month);
    const QStringList undated = lodgingUndatedLines(Desk.data(), month);
    UndatedLabel->setText(QStringLiteral("日付のない宿泊の行は、どの夜にも数えられません。伝票で日付を入れてください：")
                          + undated.join(QStringLiteral("、")));
    UndatedLabel->setVisible(!undated.isEmpty());
    // The tiers in force differ from month to month, and so do the columns.
    if (grid.headings.size() != Grid->ColCount() || FShown.headings != grid.headings) {
        QList<MonthGridColumn> columns{{50, taCenter, ""}};
        const int tiers = lodgingTierColumns(grid);
        for (int i = 1; i < grid.headings.size(); ++i) {
            const QString &h = grid.headings[i];
            if (i <= tiers) // a period's start over its tiers takes room
                columns << MonthGridColumn{h.contains(QStringLiteral("から")) ? 200 : 110, taRightJustify, "###,###"};
            else if (h.endsWith(QStringLiteral("税額")))
                columns << MonthGridColumn{80, taRightJustify, "###,###,###"};
            else
                columns << MonthGridColumn{70, taRightJustify, "###,###"};
        }
        setColumns(grid.headings, columns);
    }
    return grid;
}

void TShukuhakuzeiForm::PrintButtonClick()
{
    // A month that could not be summed is not printed as an empty sheet.
    if (!FShown.error.isEmpty()) {
        ShowMessage(this, QStringLiteral("エラー"), FShown.error);
        return;
    }
    TShukuhakuPrinForm form(MonthBar->title(), FShown, Desk.data().BaseData);
    printing::previewDocument(this, form.Run(), form.documentName());
}
