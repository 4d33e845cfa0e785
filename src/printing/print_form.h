#pragma once
// TPrintForm and its papers: the bill, receipt and estimate of the bill
// being edited. A document reads the bill's working state and the facility settings and lays the
// document out as a page model; the bill itself is changed only by
// applyDocumentRun, once the document has been printed or shown.

#include "billing/bill_state.h"
#include "billing/revenue_stamp.h"
#include "printing/bill_layout.h"
#include "printing/page_model.h"
#include "printing/report.h"
#include "storage/records.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <QList>
#include <QStringList>
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
    TRevenueStamp stamp;     // the revenue stamp its receipt needs (framed on the receipt)
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

// Whether a text holds Japanese script: kana, kanji, Japanese punctuation or
// full-width forms (what a guest without Japanese cannot read).
bool hasJapaneseScript(const QString &text);

// Digits through a picture such as "999,999,999"; a number too long for the
// picture is printed whole, grouped by thousands, rather than cut.
QString pictureText(int64_t value, const QString &picture);

// The bill document: the bill (kind 1), receipt (2) or estimate (3) of the
// bill being edited, laid out on one of the papers of bill_layout.h. The
// texts, the row supply, the empty-page trim and the after-run changes are
// the same on every paper; only the layout differs.
class TPrintForm {
public:
    // The A5 document. Set-up happens here, once: margins, binding mark,
    // colours, sizes and the plan and room positions come from the settings
    // and the bill.
    TPrintForm(const TBillState &bill, const TBaseData &base, const QString &exePath, int kind);
    TPrintForm(const TPrintForm &) = delete;
    TPrintForm &operator=(const TPrintForm &) = delete;

    // Lays the document out. Nothing in the bill changes here.
    TDocumentRun Run();
    // A receipt issued before is marked as reissued on date (above its title).
    void setReissue(const QDate &date);

    // The report, for callers that want to adjust it before a run.
    printing::Report &report() { return rep; }
    const BillLayout &layout() const { return L; }

protected:
    TPrintForm(const TBillState &bill, const TBaseData &base, const QString &exePath, int kind,
               const BillLayout &layout);

private:
    void setUpPage();
    void setUpHeader();
    void setUpColumnHeader();
    void setUpDetail();
    void setUpFooter();
    void setUpReceiptHalf();
    void addStampFrame(QList<printing::ReportItem> &out, const QString &suffix, qreal x, qreal y, qreal w, qreal h);
    QString title() const;
    QString provisoMark() const;
    template <std::size_t N> QString documentMessage(const char (&field)[N], bool receipt) const;
    QString caption() const;
    QString guestText() const;
    QString amountText(int row, bool yen) const;
    QString paymentText(bool always) const;
    QString stayText() const;
    QString receivedText() const;
    QString taxBreakdownText() const;
    QList<QStringList> invoiceLines() const;
    bool addInvoiceLines(QList<printing::ReportItem> &out, const QString &prefix, const QList<FrameSpot> &spaces,
                         bool fromFoot, qreal pt);
    qreal addRegistrationLine(QList<printing::ReportItem> &out, const QString &name, qreal x, qreal right, qreal addressTop,
                              qreal pt);
    const TReserveData *currentLine() const;

    const TBillState &bill;
    // A copy: callers pass settings made on the spot, which would not outlive a reference.
    const TBaseData base;
    QString exePath;
    int Kind;
    bool english;
    bool invoice; // the registration number and the tax per rate (bills and receipts of a registered facility)
    bool issuerInText; // a receipt or invoice with a logo names the facility in text too
    BillLayout L;
    FrameSpot stampAt; // where the stamp box of a receipt stands (moved for the invoice lines)

    printing::Report rep;
    printing::TextMeasure measure;

    // Per run.
    RecordList<TReserveData> lines; // the bill's lines without empty trailing pages
    std::size_t LineIndex = 0;      // next line to print
    std::size_t rowLines = 0;       // lines up to the last one with something to print
    int RowCount = 0;               // detail rows printed
    bool blank = false;             // rows that fill a page before a break print nothing
    QString dateText;
    QString messageText;
    QString facilityName;
    int nights = 0;
};

// The A4 bill and receipt (kinds 1 and 2).
class TPrintA4Form : public TPrintForm {
public:
    TPrintA4Form(const TBillState &bill, const TBaseData &base, const QString &exePath, int kind)
        : TPrintForm(bill, base, exePath, kind, BillLayout::a4())
    {
    }
};

// The B5 (JIS, 182 x 257 mm) bill, receipt and estimate.
class TPrintB5Form : public TPrintForm {
public:
    TPrintB5Form(const TBillState &bill, const TBaseData &base, const QString &exePath, int kind)
        : TPrintForm(bill, base, exePath, kind, BillLayout::b5())
    {
    }
};

// The bill and its receipt side by side on one A4 sheet in landscape: the
// A5 bill on the left, the receipt with the proviso and the tax breakdown on
// the right of every sheet. It changes only an empty settlement date.
class TWPrintForm : public TPrintForm {
public:
    TWPrintForm(const TBillState &bill, const TBaseData &base, const QString &exePath)
        : TPrintForm(bill, base, exePath, KindBill, BillLayout::combinedA4())
    {
    }
};
