#pragma once
// TPrintForm: the A5 bill, receipt and estimate of the bill being edited.
// It reads the bill's working state and the facility settings and lays the
// document out as a page model; the bill itself is changed only by
// applyDocumentRun, once the document has been printed or shown.

#include "billing/bill_state.h"
#include "printing/page_model.h"
#include "printing/report.h"
#include "storage/records.h"

#include <QImage>
#include <QString>
#include <cstddef>

enum DocumentKind : int {
    KindBill = 1,     // 請求書
    KindReceipt = 2,  // 領収書
    KindEstimate = 3, // お見積書
};

// One run of a bill document: the pages, or why there are none, and what the
// run changes in the bill once it has been printed or shown.
struct TDocumentRun {
    printing::PageModel model;
    QString error;           // not empty: nothing to print; the message for the user
    QString documentName;    // print job and PDF file name
    std::size_t keptLines = 0; // Lines after the empty trailing pages are dropped
    QString decideEdit;      // new receipt status; empty leaves it
    QString seisanDay;       // settlement date for a bill that has none; empty leaves it
    bool ok() const { return error.isEmpty(); }
};

// Drops the empty trailing pages, sets the receipt status and fills an empty
// settlement date.
void applyDocumentRun(TBillState &bill, const TDocumentRun &run);

// The number of lines a bill keeps once its empty trailing pages of 16 lines
// are dropped. A page is empty when none of its lines has a text. Pages
// after the first are dropped only when every page after them is empty too,
// so no described line is ever lost; a bill whose only page is empty keeps
// no lines.
std::size_t linesWithoutEmptyPages(const RecordList<TReserveData> &lines);

// Digits through a picture such as "999,999,999"; a number too long for the
// picture is printed whole, grouped by thousands, rather than cut.
QString pictureText(int64_t value, const QString &picture);

class TPrintForm {
public:
    // Set-up happens here, once: margins, binding mark, colours, sizes and
    // the plan and room positions come from the settings and the bill.
    TPrintForm(const TBillState &bill, const TBaseData &base, const QString &exePath, int kind);
    TPrintForm(const TPrintForm &) = delete;
    TPrintForm &operator=(const TPrintForm &) = delete;

    // Lays the document out. Nothing in the bill changes here.
    TDocumentRun Run();

    // The report, for callers that want to adjust it before a run.
    printing::Report &report() { return rep; }

private:
    void setUpPage();
    void setUpHeader();
    void setUpColumnHeader();
    void setUpDetail();
    void setUpFooter();
    QString title() const;
    QString amountText(int row, bool yen) const;
    QString paymentText() const;
    QString stayText() const;
    const TReserveData *currentLine() const;

    const TBillState &bill;
    const TBaseData &base;
    QString exePath;
    int Kind;
    bool english;

    printing::Report rep;
    printing::TextMeasure measure;

    // Per run.
    RecordList<TReserveData> lines; // the bill's lines without empty trailing pages
    std::size_t LineIndex = 0;      // next line to print
    std::size_t rowLines = 0;       // lines up to the last one with something to print
    int RowCount = 0;               // detail rows printed
    QString dateText;
    QString messageText;
    QString facilityName;
    int nights = 0;
};
