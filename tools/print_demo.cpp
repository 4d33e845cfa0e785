// Writes every bill document of a sample bill as PDF files, to look at them:
//   print_demo [output directory] [program directory with logo.bmp]
// gives, in Japanese (_ja) and English (_en):
//   a5_bill, a5_receipt, a5_estimate, a4_bill, a4_receipt, b5_bill,
//   b5_receipt, b5_estimate, combined
// and the same of a bill with everything at its longest, prefixed edge_.
//   print_demo --preview [program directory]
// shows the Japanese receipt in the preview window instead.

#include "../tests/printing/sample_bill.h"
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
    for (const bool edge : {false, true}) {
        const TBaseData base = edge ? sample::edgeFacility() : sample::facility();
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
            for (const Doc &d : docs) {
                const TBillState bill = edge ? sample::edgeBill(lang) : sample::bill(lang);
                const TDocumentRun run = makeBillDocument(bill, base, exePath, d.paper, d.kind);
                const QString file = QStringLiteral("%1%2_%3.pdf")
                                         .arg(edge ? QStringLiteral("edge_") : QString(), QLatin1String(d.name),
                                              lang ? QStringLiteral("en") : QStringLiteral("ja"));
                QString error = run.error;
                if (error.isEmpty())
                    error = printing::saveDocumentPdf(out.filePath(file), run.model);
                std::printf("%s: %s\n", qPrintable(file), error.isEmpty() ? "written" : qPrintable(error));
                failures += !error.isEmpty();
            }
        }
    }
    return failures ? 1 : 0;
}
