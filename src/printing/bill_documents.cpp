#include "bill_documents.h"

#include "billing/bill_computation.h"

bool runBillDocumentWith(printing::MessageFunction message, QWidget *parent, TBillState &bill,
                         const TDocumentRun &run, DocumentMode mode, int copies)
{
    using printing::PrintOutcome;
    if (!run.ok()) {
        message(parent, QStringLiteral("エラー"), run.error, QMessageBox::Ok);
        return false;
    }
    const PrintOutcome outcome =
        mode == DocumentMode::Preview
            ? printing::previewDocumentWith(message, parent, run.model, run.documentName)
            : printing::printDocumentWith(message, parent, run.model, copies, run.documentName);
    if (outcome != PrintOutcome::Printed && outcome != PrintOutcome::SavedPdf)
        return false;
    applyDocumentRun(bill, run);
    return true;
}

TDocumentRun makeBillDocument(const TBillState &bill, const TBaseData &base, const QString &exePath,
                              BillPaper paper, int kind)
{
    // Totals that would wrap or overflow have nothing right to print: no page is laid out.
    if (const TBillMessage refused = totalsRefusal(bill, base); !refused.isEmpty()) {
        TDocumentRun run;
        run.error = refused.text;
        return run;
    }
    switch (paper) {
    case BillPaper::A4:
        return TPrintA4Form(bill, base, exePath, kind).Run();
    case BillPaper::B5:
        return TPrintB5Form(bill, base, exePath, kind).Run();
    case BillPaper::Combined:
        return TWPrintForm(bill, base, exePath).Run();
    case BillPaper::A5:
        break;
    }
    return TPrintForm(bill, base, exePath, kind).Run();
}
