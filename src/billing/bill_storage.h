#pragma once
// Moving one bill between the stored lists and its working state: LoadBill
// reads the bill's records from ReserveList (and its card receivable from
// UrikakeList) into the working state, leaving the lists as they are;
// SaveBill replaces them there and rewrites reserve.dat and urikake.dat.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "billing/bill_window_rules.h"
#include "storage/app_data.h"
#include "storage/library.h"
#include "storage/receipt_issues.h"

// Text of StayLabel for a ten-character date, e.g. 2007年08月09日(木)から;
// empty when the date does not read.
QString stayLabelText(const QString &date);

// Loads bill.BillNo into the working state. The selectors must have been
// built (BuildSelectors); PageNo becomes 1.
void LoadBill(TBillState &bill, const AppData &data);

// Everything the bill window does to open a bill: selectors, LoadBill, the
// switch to English for a bill receipted in English, and the totals. Returns
// the notice of an item master without line items, if any.
TBillMessage OpenBill(TBillState &bill, const AppData &data, uint32_t billNo);

// Writes the bill back: its receivable into UrikakeList, its records at the
// end of ReserveList, then urikake.dat and reserve.dat. The window has checked
// the settlement date, reservation number and name. On refusal or a failed
// write the returned message says why, and ReserveList, UrikakeList and both
// files are as they were; the working state is never changed. With issue,
// the receipt being issued joins the record of receipts (receipts.dat) in the
// same commit: the bill and the record of its receipt are saved together or
// not at all.
TBillMessage SaveBill(const TBillState &bill, AppData &data, const TLibrary &lib,
                      const TReceiptIssue *issue = nullptr);
