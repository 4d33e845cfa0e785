#pragma once
// The one renderer: paints a page model onto a printer, a PDF file or the
// preview. Millimetres become device units here and nowhere else.

#include "page_model.h"

#include <QString>

class QPainter;
class QPrinter;

namespace printing {

// Paints one page. The painter's device must map the paper's top-left corner
// to (0, 0), as a printer set up by setUpPrinter does.
void paintPage(QPainter &painter, const PageModel &model, int page);

// Paper, orientation, full-page coordinates and a high resolution for the model.
void setUpPrinter(QPrinter &printer, const PageModel &model);

// Paints every page, copies times (the printer makes the copies when it can).
// Returns an empty text, or the message for the user when the printer failed.
QString paintDocument(QPrinter &printer, const PageModel &model, int copies = 1);

// Writes the document as a PDF file; the old file stays whole until the new
// one is complete. Returns an empty text or the message for the user.
QString saveDocumentPdf(const QString &path, const PageModel &model);

// True when the system has at least one print queue. Without one a printer
// silently becomes a PDF writer, so callers must ask first.
bool printerAvailable();

} // namespace printing
