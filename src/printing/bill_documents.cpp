#include "bill_documents.h"

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
