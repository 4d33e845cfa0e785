// Writes every bill document of a sample bill as PDF files, to look at them:
//   print_demo [output directory] [program directory with logo.bmp]
// gives, in Japanese (_ja) and English (_en):
//   a5_bill, a5_receipt, a5_estimate, a4_bill, a4_receipt, b5_bill,
//   b5_receipt, b5_estimate, combined
// and the same of a bill with everything at its longest, prefixed edge_;
// the bills, receipts and the combined sheet of a registered inn's bill of
// two tax rates, prefixed invoice_ (and invoice_edge_ with the longest texts);
// every document of that bill in a town with an accommodation tax, prefixed
// lodging_; the longest receipts reissued, prefixed reissue_;
// then the month printouts of a realistic month (March 2008): month_nyutou,
// month_getuji, month_urikake, month_opt, and month_urikake_long (a
// statement of three pages).
//   print_demo --preview [program directory]
// shows the Japanese receipt in the preview window instead.

#include "../tests/printing/sample_bill.h"
#include "../tests/reports/month_sample.h"
#include "reports/getuji_prin_form.h"
#include "reports/getujiopt_prin_form.h"
#include "reports/item_sales.h"
#include "reports/nyutou_prin_form.h"
#include "reports/receivables.h"
#include "reports/urikake_prn_form.h"
#include "printing/bill_documents.h"
#include "printing/renderer.h"
#include "shell/document_output.h"
#include "storage/clock.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool preview = args.removeAll(QStringLiteral("--preview")) > 0;
    const QDir out(args.size() > 1 ? args[1] : QDir::currentPath());
    const QString exePath = args.size() > 2 ? QDir(args[2]).absolutePath() + QLatin1Char('/') : QString();
    Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(10, 0)));

    if (preview) {
        const QString dir = args.size() > 1 ? QDir(args[1]).absolutePath() + QLatin1Char('/') : QString();
        TBillState bill = sample::bill(0);
        runBillDocument(nullptr, bill, makeBillDocument(bill, sample::facility(), dir, BillPaper::A5, KindReceipt),
                        DocumentMode::Preview);
        std::printf("receipt status %s, settlement date %s\n", qPrintable(bill.DecideEdit), qPrintable(bill.SeisanDay));
        return 0;
    }
    struct Doc {
        const char *name;
        BillPaper paper;
        int kind;
    };
    const Doc docs[] = {
        {"a5_bill", BillPaper::A5, KindBill},     {"a5_receipt", BillPaper::A5, KindReceipt},
        {"a5_estimate", BillPaper::A5, KindEstimate}, {"a4_bill", BillPaper::A4, KindBill},
        {"a4_receipt", BillPaper::A4, KindReceipt}, {"b5_bill", BillPaper::B5, KindBill},
        {"b5_receipt", BillPaper::B5, KindReceipt}, {"b5_estimate", BillPaper::B5, KindEstimate},
        {"combined", BillPaper::Combined, KindBill},
    };
    int failures = 0;
    // One document of the bill as PREFIXname_ja.pdf or _en.pdf.
    const auto write = [&](const QString &prefix, const TBillState &bill, const TBaseData &base, const Doc &d,
                           const QDate &reissued = QDate()) {
        const TDocumentRun run = makeBillDocument(bill, base, exePath, d.paper, d.kind, reissued);
        const QString file = QStringLiteral("%1%2_%3.pdf")
                                 .arg(prefix, QLatin1String(d.name), bill.LangFlag ? QStringLiteral("en") : QStringLiteral("ja"));
        QString error = run.error;
        if (error.isEmpty())
            error = printing::saveDocumentPdf(out.filePath(file), run.model);
        std::printf("%s: %s\n", qPrintable(file), error.isEmpty() ? "written" : qPrintable(error));
        failures += !error.isEmpty();
    };
    for (const bool edge : {false, true}) {
        const TBaseData base = edge ? sample::edgeFacility() : sample::facility();
        const QString prefix = edge ? QStringLiteral("edge_") : QString();
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
            for (const Doc &d : docs)
                write(prefix, edge ? sample::edgeBill(lang) : sample::bill(lang), base, d);
    }

    // The bills and receipts of a registered inn, with the tax of two rates.
    for (const bool edge : {false, true}) {
        const TBaseData base = edge ? sample::edgeFacility() : sample::facility();
        const QString prefix = edge ? QStringLiteral("invoice_edge_") : QStringLiteral("invoice_");
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
            for (const Doc &d : docs)
                if (d.kind != KindEstimate)
                    write(prefix, edge ? sample::invoiceEdgeBill(lang) : sample::invoiceBill(lang), base, d);
    }

    // The longest receipts issued a second time, marked with the day of the reissue.
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
        for (const Doc &d : docs)
            if (issuesReceipt(d.paper, d.kind))
                write(QStringLiteral("reissue_"), sample::invoiceEdgeBill(lang), sample::edgeFacility(), d,
                      QDate(2007, 8, 11));

    // Every document of a registered inn's bill in a town with an accommodation tax.
    for (const uint8_t lang : {uint8_t(0), uint8_t(1)})
        for (const Doc &d : docs)
            write(QStringLiteral("lodging_"), sample::lodgingBill(lang), sample::facility(), d);

    // The month printouts.
    const MonthSample month = marchSample();
    AppData data = reportData(month.lines, month.cards, month.base);
    const TBaseData inn = sample::facility();
    std::memcpy(data.BaseData.SisetuName, inn.SisetuName, sizeof inn.SisetuName);
    std::memcpy(data.BaseData.ZipCode, inn.ZipCode, sizeof inn.ZipCode);
    std::memcpy(data.BaseData.Jusyo, inn.Jusyo, sizeof inn.Jusyo);
    std::memcpy(data.BaseData.TelNo, inn.TelNo, sizeof inn.TelNo);
    seedDefaultKamoku(data.KamokuList);
    const ReportMonth march(2008, 3);
    const QString title = QStringLiteral("2008年03月分");
    const std::vector<QStringList> receivables = receivablesMonth(data, march).rows;
    std::vector<QStringList> many = receivables;
    while (many.size() < 110)
        many.insert(many.begin(), many.front());
    TNyutouPrinForm nyutou(title, nyutouzeiMonth(data, march).rows, data.BaseData);
    TGetujiPrinForm getuji(title, getujiMonth(data, march).rows);
    TUrikakePrnForm urikake(title, receivables);
    TUrikakePrnForm urikakeLong(title, many);
    TGetujioptPrinForm opt(title, itemSalesCategoryNames().value(1), itemSalesMonth(data, march, 1).rows);
    const std::pair<const char *, printing::PageModel> printouts[] = {
        {"month_nyutou.pdf", nyutou.Run()},   {"month_getuji.pdf", getuji.Run()},
        {"month_urikake.pdf", urikake.Run()}, {"month_urikake_long.pdf", urikakeLong.Run()},
        {"month_opt.pdf", opt.Run()},
    };
    for (const auto &[file, model] : printouts) {
        const QString error = printing::saveDocumentPdf(out.filePath(QLatin1String(file)), model);
        std::printf("%s: %s\n", file, error.isEmpty() ? "written" : qPrintable(error));
        failures += !error.isEmpty();
    }
    return failures ? 1 : 0;
}
