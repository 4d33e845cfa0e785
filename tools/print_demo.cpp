// Writes the A5 documents of a sample bill as PDF files, to look at them:
//   print_demo [output directory] [program directory with logo.bmp]
// gives receipt_ja.pdf, bill_en.pdf, bill_ja.pdf and estimate_ja.pdf.
//   print_demo --preview [program directory]
// shows the Japanese receipt in the preview window instead.

#include "../tests/printing/sample_bill.h"
#include "shell/document_output.h"
#include "printing/print_form.h"
#include "printing/renderer.h"
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

    const TBaseData base = sample::facility();
    if (preview) {
        const QString dir = args.size() > 1 ? QDir(args[1]).absolutePath() + QLatin1Char('/') : QString();
        TBillState bill = sample::bill(0);
        runBillDocument(nullptr, bill, makeBillDocument(bill, base, dir, BillPaper::A5, KindReceipt), DocumentMode::Preview);
        std::printf("receipt status %s, settlement date %s\n", qPrintable(bill.DecideEdit), qPrintable(bill.SeisanDay));
        return 0;
    }
    struct Doc {
        const char *file;
        uint8_t lang;
        int kind;
    };
    int failures = 0;
    for (const Doc &d : {Doc{"receipt_ja.pdf", 0, KindReceipt}, Doc{"bill_en.pdf", 1, KindBill},
                         Doc{"bill_ja.pdf", 0, KindBill}, Doc{"estimate_ja.pdf", 0, KindEstimate}}) {
        TBillState bill = sample::bill(d.lang);
        TPrintForm form(bill, base, exePath, d.kind);
        const TDocumentRun run = form.Run();
        QString error = run.error;
        if (error.isEmpty())
            error = printing::saveDocumentPdf(out.filePath(QLatin1String(d.file)), run.model);
        std::printf("%s: %s\n", d.file, error.isEmpty() ? "written" : qPrintable(error));
        failures += !error.isEmpty();
    }
    return failures ? 1 : 0;
}
