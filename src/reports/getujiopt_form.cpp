#include "reports/getujiopt_form.h"

#include "controls/string_grid_ex.h"
#include "shell/document_output.h"
#include "reports/getujiopt_prin_form.h"
#include "reports/item_sales.h"
#include "reports/month_bar_form.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

TGetujioptForm::TGetujioptForm(FrontDesk &desk, QWidget *parent)
    : TMonthWindow(desk, QStringLiteral("GetujioptForm"), QStringLiteral("売上明細月次集計表"), false, true, parent)
{
    KindCombo = new QComboBox(this);
    KindCombo->setObjectName(QStringLiteral("KindCombo"));
    KindCombo->addItems(itemSalesCategoryNames());
    KindCombo->setCurrentIndex(0);
    KindCombo->setMinimumHeight(30);
    Button1 = new QPushButton(QStringLiteral("集計"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setMinimumHeight(30);
    addToTop(KindCombo);
    addToTop(Button1);
    addCsvButton([this] {
        return monthCsvName(QStringLiteral("items%1").arg(FShownCategory), MonthBar->year(), MonthBar->month());
    });
    addToTop(new QWidget(this), 1);
    connect(Button1, &QPushButton::clicked, this, &TGetujioptForm::Button1Click);
    // The grid always shows the category the list names.
    connect(KindCombo, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(PrintButton, &QToolButton::clicked, this, &TGetujioptForm::PrintButtonClick);

    // The empty design state until the first computation: headings only.
    setColumns(itemSalesHeadings(), {{65, taLeftJustify, ""},
                                      {144, taLeftJustify, ""},
                                      {53, taRightJustify, "###,###,###"},
                                      {104, taRightJustify, "###,###,###"}});
    resize(sizeHint());
}

void TGetujioptForm::Button1Click()
{
    Refresh();
}

MonthGrid TGetujioptForm::compute()
{
    FShownCategory = std::clamp(KindCombo->currentIndex(), 0, ItemSalesCategories - 1);
    return itemSalesMonth(Desk.data(), ReportMonth(MonthBar->year(), MonthBar->month()), FShownCategory);
}

void TGetujioptForm::PrintButtonClick()
{
    if (!FShown.error.isEmpty()) {
        ShowMessage(this, QStringLiteral("エラー"), FShown.error);
        return;
    }
    // The title names the category the figures were computed for, even when
    // the list has been changed since without a new computation.
    TGetujioptPrinForm form(MonthBar->title(), itemSalesCategoryNames().value(FShownCategory), FShown.rows);
    printing::previewDocument(this, form.Run(), form.documentName());
}
