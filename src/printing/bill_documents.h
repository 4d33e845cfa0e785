#pragma once
// Putting a document of the open bill on paper, for the bill window's print
// buttons and the main menu's preview entries. A document that cannot be
// made, or whose printing fails or is cancelled, leaves the bill untouched;
// once it has been printed, saved as PDF or shown, the run's changes (empty
// trailing pages, receipt status, settlement date) go into the bill.

#include "billing/bill_state.h"
#include "printing/print_dialogs.h"
#include "printing/print_form.h"

enum class DocumentMode { Preview, Print };

// The paper a bill document is laid out for: the A5, A4 or B5 document of
// the facility's PaperKubun (0, 1, 2), or the bill and receipt side by side
// on one A4 sheet.
enum class BillPaper : int { A5 = 0, A4 = 1, B5 = 2, Combined = 3 };

// The paper of the facility's PaperKubun; anything unknown prints on A5.
inline BillPaper billPaperOf(uint8_t paperKubun)
{
    return paperKubun == 1 ? BillPaper::A4 : paperKubun == 2 ? BillPaper::B5 : BillPaper::A5;
}

// Lays out the bill (kind 1), receipt (2) or estimate (3) of the bill on the
// given paper. The combined sheet ignores the kind. Nothing in the bill
// changes here; a document that cannot be made carries its message in error.
// A valid reissued date marks a receipt (or the combined sheet's receipt
// half) as a reissue of that date.
TDocumentRun makeBillDocument(const TBillState &bill, const TBaseData &base, const QString &exePath,
                              BillPaper paper, int kind, const QDate &reissued = QDate());

// Whether the document is a receipt: the receipt on its own paper, or the
// combined sheet, whose right half is a whole receipt. Each one issued is
// recorded, and each after the first is marked as a reissue.
bool issuesReceipt(BillPaper paper, int kind);

// Whether a receipt issued now is a reissue: the record of receipts holds
// issued of the bill before, or (bills receipted before the record was kept)
// its receipt status says one was printed.
bool receiptIsReissue(const TBillState &bill, int issued);

// Puts a run on paper (or into the preview) and, once it came out, applies
// its changes to the bill. beforeOutput runs once the printer or file is
// chosen, just before the document goes out; false stops it (it has said
// why). Messages go through message, which windows pass as &ShowMessage.
// Returns true when the document was printed, saved or shown.
bool runBillDocumentWith(printing::MessageFunction message, QWidget *parent, TBillState &bill,
                         const TDocumentRun &run, DocumentMode mode, int copies = 1,
                         const printing::BeforeOutput &beforeOutput = {});
