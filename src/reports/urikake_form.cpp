#include "reports/urikake_form.h"

#include "controls/string_grid_ex.h"
#include "shell/document_output.h"
#include "reports/month_bar_form.h"
#include "reports/receivables.h"
#include "reports/urikake_prn_form.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "storage/clock.h"

#include <QLabel>
#include <QToolButton>

TUrikakeForm::TUrikakeForm(FrontDesk &desk, QWidget *parent)
    : TMonthWindow(desk, QStringLiteral("UrikakeForm"), QStringLiteral("月次売掛明細表"), true, true, parent)
{
    Label1 = new QLabel(QStringLiteral("清算日による売掛金明細表"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("A4サイズの用紙をセットしてください"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    addCsvButton([this] { return monthCsvName(QStringLiteral("receivables"), MonthBar->year(), MonthBar->month()); });
    addToTop(new QWidget(this), 1);
    addNote(Label1);
    addNote(Label2);
    connect(PrintButton, &QToolButton::clicked, this, &TUrikakeForm::PrintButtonClick);

    setColumns(receivablesHeadings(), {{36, taCenter, ""},
                                        {71, taLeftJustify, ""},
                                        {131, taLeftJustify, ""},
                                        {90, taLeftJustify, ""},
                                        {65, taRightJustify, "###,###,###"}});
    resize(sizeHint());
    Refresh();
}

MonthGrid TUrikakeForm::compute()
{
    return receivablesMonth(Desk.data(), ReportMonth(MonthBar->year(), MonthBar->month()));
}

void TUrikakeForm::PrintButtonClick()
{
    if (!FShown.error.isEmpty()) {
        ShowMessage(this, QStringLiteral("エラー"), FShown.error);
        return;
    }
    TUrikakePrnForm form(MonthBar->title(), FShown.rows);
    const printing::PrintOutcome outcome = printing::previewDocument(this, form.Run(), form.documentName());
    if (outcome == printing::PrintOutcome::Failed)
        return;
    // The statement has been produced: keep a dated copy of the receivables.
    QString error;
    if (!backupUrikakeList(Desk.data(), Desk.library(), Clock::now().date(), &error))
        ShowMessage(this, QStringLiteral("エラー"), error);
}
