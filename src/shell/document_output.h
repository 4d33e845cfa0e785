#pragma once
// The entry points of the windows and the menu: preview, print, save as PDF,
// with messages shown through the program's message box. The printing
// library takes the message function as an argument; these bind it.

#include "printing/bill_documents.h"
#include "printing/print_dialogs.h"
#include "shell/message_box.h"

namespace printing {

inline PrintOutcome previewDocument(QWidget *parent, const PageModel &model, const QString &documentName = {})
{
    return previewDocumentWith(&ShowMessage, parent, model, documentName);
}

inline PrintOutcome printDocument(QWidget *parent, const PageModel &model, int copies,
                                  const QString &documentName = {})
{
    return printDocumentWith(&ShowMessage, parent, model, copies, documentName);
}

inline PrintOutcome saveDocumentPdfAs(QWidget *parent, const PageModel &model, const QString &documentName = {})
{
    return savePdfWith(&ShowMessage, parent, model, documentName);
}

} // namespace printing

// A bill document of the open bill on paper or in the preview; see
// runBillDocumentWith.
inline bool runBillDocument(QWidget *parent, TBillState &bill, const TDocumentRun &run, DocumentMode mode,
                            int copies = 1)
{
    return runBillDocumentWith(&ShowMessage, parent, bill, run, mode, copies);
}
