#pragma once
// What the windows call to put a document on paper: the preview, direct
// printing with a copy count, and saving as PDF. Every message goes through
// the program's message box; the functions ending in With take it as an
// argument so that this library does not depend on the window library.

#include "page_model.h"

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace printing {

using MessageFunction = QMessageBox::StandardButton (*)(QWidget *, const QString &, const QString &,
                                                        QMessageBox::StandardButtons);

enum class PrintOutcome {
    Printed,   // sent to the printer, or shown in the preview
    SavedPdf,  // written as a PDF file instead
    Cancelled, // the user chose not to go on; nothing was produced
    Failed,    // the user has been told why
};

// Asks where to save a PDF file; an empty text cancels. suggestedPath is the
// document's file name in the folder the last PDF went to (at first the
// home folder). The default is the file dialog; tests replace it (an empty
// function restores the default).
using PdfPathChooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
void setPdfPathChooser(PdfPathChooser chooser);

// Called once the printer or the PDF file is chosen, just before the
// document goes out (a receipt saves its bill there). False stops it: nothing
// is produced and the function has told the user why.
using BeforeOutput = std::function<bool()>;

// Prints to the default printer. Without any printer the user is told so and
// may save the document as a PDF file instead.
PrintOutcome printDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model, int copies,
                               const QString &documentName, const BeforeOutput &beforeOutput = {});
// Shows the preview, from which the user may print or save a PDF file; each
// of those goes out only once beforeOutput agreed.
PrintOutcome previewDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model,
                                 const QString &documentName, const BeforeOutput &beforeOutput = {});
// Asks for a file name and saves the document there, then says where it went.
PrintOutcome savePdfWith(MessageFunction message, QWidget *parent, const PageModel &model,
                         const QString &documentName, const BeforeOutput &beforeOutput = {});

// Tests reach the open preview through this: called once the preview dialog
// exists, before it is shown.
using PreviewHook = std::function<void(QWidget *dialog)>;
void setPreviewHook(PreviewHook hook);

} // namespace printing
