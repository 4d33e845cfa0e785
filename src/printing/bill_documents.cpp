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

TDocumentRun makeBillDocument(const TBillState &bill, const TBaseData &base, const QString &exePath,
                              BillPaper paper, int kind)
{
    switch (paper) {
    case BillPaper::A5: {
        TPrintForm form(bill, base, exePath, kind);
        return form.Run();
    }
    case BillPaper::A4:
    case BillPaper::B5:
    case BillPaper::Combined:
        break;
    }
    TDocumentRun run;
    run.error = QStringLiteral("この用紙の帳票はまだ印刷できません。");
    return run;
}
