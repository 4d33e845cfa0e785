#pragma once
// The entry points of the windows and the menu: preview, print, save as PDF,
// with messages shown through the program's message box. Inline, so that the
// message box is linked from the window that calls them.

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
