#include "bill_documents.h"

#include "billing/bill_computation.h"

bool runBillDocumentWith(printing::MessageFunction message, QWidget *parent, TBillState &bill,
                         const TDocumentRun &run, DocumentMode mode, int copies,
                         const printing::BeforeOutput &beforeOutput)
{
    using printing::PrintOutcome;
    if (!run.ok()) {
        message(parent, QStringLiteral("エラー"), run.error, QMessageBox::Ok);
        return false;
    }
    const PrintOutcome outcome =
        mode == DocumentMode::Preview
            ? printing::previewDocumentWith(message, parent, run.model, run.documentName, beforeOutput)
            : printing::printDocumentWith(message, parent, run.model, copies, run.documentName, beforeOutput);
    if (outcome != PrintOutcome::Printed && outcome != PrintOutcome::SavedPdf)
        return false;
    applyDocumentRun(bill, run);
    return true;
}

bool issuesReceipt(BillPaper paper, int kind)
{
    return paper == BillPaper::Combined || kind == KindReceipt;
}

bool receiptIsReissue(const TBillState &bill, int issued)
{
    const QString status = bill.DecideEdit.trimmed();
    return issued > 0 || status == QLatin1String("1") || status == QLatin1String("2");
}

TDocumentRun makeBillDocument(const TBillState &bill, const TBaseData &base, const QString &exePath,
                              BillPaper paper, int kind, const QDate &reissued)
{
    // Totals that would wrap or overflow have nothing right to print: no page is laid out.
    if (const TBillMessage refused = totalsRefusal(bill, base); !refused.isEmpty()) {
        TDocumentRun run;
        run.error = refused.text;
        return run;
    }
    auto run = [&reissued](TPrintForm &&form) {
        form.setReissue(reissued);
        return form.Run();
    };
    switch (paper) {
    case BillPaper::A4:
        return run(TPrintA4Form(bill, base, exePath, kind));
    case BillPaper::B5:
        return run(TPrintB5Form(bill, base, exePath, kind));
    case BillPaper::Combined:
        return run(TWPrintForm(bill, base, exePath));
    case BillPaper::A5:
        break;
    }
    return run(TPrintForm(bill, base, exePath, kind));
}
