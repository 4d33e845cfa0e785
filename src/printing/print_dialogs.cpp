#include "print_dialogs.h"

#include "renderer.h"

#include "storage/file_folders.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QToolBar>

#include <algorithm>

namespace printing {

namespace {
PdfPathChooser pdfChooser;
PreviewHook previewHook;

const QString kError = QStringLiteral("エラー");

// The toolkit opens the preview at two thirds of the screen, which on a small
// screen hides the end of the tool bar (print, PDF) behind its extension
// button and shows the page at a size hard to read. The preview gets the
// height of the screen's working area, less room for its title bar, and at
// least the width its whole tool bar needs.
void fitPreviewToScreen(QPrintPreviewDialog &dialog, const QToolBar *bar, QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int titleRoom = 40;
    const int margins = dialog.layout() ? dialog.layout()->contentsMargins().left() + dialog.layout()->contentsMargins().right() : 0;
    const int barWidth = bar ? bar->sizeHint().width() + margins : 0;
    const QSize size(std::min(area.width(), std::max(dialog.width(), barWidth)),
                     std::max(dialog.height(), area.height() - titleRoom));
    dialog.resize(size.boundedTo(area.size()));
}

QString suggestedFileName(const QString &documentName)
{
    QString name = documentName.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty())
        name = QStringLiteral("document");
    return name + QStringLiteral(".pdf");
}

QString choosePdfPath(QWidget *parent, const QString &documentName)
{
    // The dialog starts where the last PDF went, at first in the clerk's Documents.
    const QString suggested = QDir(filefolders::startFolder(QStringLiteral("PDF"), filefolders::documentsFolder()))
                                  .filePath(suggestedFileName(documentName));
    if (pdfChooser)
        return pdfChooser(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("PDFファイルとして保存"), suggested,
                                        QStringLiteral("PDF (*.pdf)"));
}
} // namespace

void setPdfPathChooser(PdfPathChooser chooser)
{
    pdfChooser = std::move(chooser);
}

void setPreviewHook(PreviewHook hook)
{
    previewHook = std::move(hook);
}

PrintOutcome savePdfWith(MessageFunction message, QWidget *parent, const PageModel &model,
                         const QString &documentName, const BeforeOutput &beforeOutput)
{
    QString path = choosePdfPath(parent, documentName);
    if (path.isEmpty())
        return PrintOutcome::Cancelled;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (beforeOutput && !beforeOutput())
        return PrintOutcome::Failed;
    const QString error = saveDocumentPdf(path, model);
    if (!error.isEmpty()) {
        message(parent, kError, error, QMessageBox::Ok);
        return PrintOutcome::Failed;
    }
    filefolders::remember(QStringLiteral("PDF"), path);
    message(parent, QStringLiteral("メッセージ"), filefolders::savedFileMessage(QStringLiteral("PDFファイル"), path), QMessageBox::Ok);
    return PrintOutcome::SavedPdf;
}

PrintOutcome printDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model, int copies,
                               const QString &documentName, const BeforeOutput &beforeOutput)
{
    auto offerPdf = [&] {
        if (message(parent, QStringLiteral("確認"),
                    QStringLiteral("使用できるプリンターがありません。\nPDFファイルとして保存しますか？"),
                    QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
            return PrintOutcome::Cancelled;
        return savePdfWith(message, parent, model, documentName, beforeOutput);
    };
    if (!printerAvailable())
        return offerPdf();

    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::defaultPrinter().isNull())
        printer.setPrinterName(QPrinterInfo::availablePrinterNames().constFirst());
    // A printer that could not be reached has turned into a PDF writer.
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return offerPdf();
    setUpPrinter(printer, model);
    printer.setDocName(documentName);
    if (beforeOutput && !beforeOutput())
        return PrintOutcome::Failed;
    const QString error = paintDocument(printer, model, copies);
    if (!error.isEmpty()) {
        message(parent, kError, error, QMessageBox::Ok);
        return PrintOutcome::Failed;
    }
    return PrintOutcome::Printed;
}

PrintOutcome previewDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model,
                                 const QString &documentName, const BeforeOutput &beforeOutput)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerAvailable())
        printer.setOutputFormat(QPrinter::PdfFormat);
    setUpPrinter(printer, model);
    printer.setDocName(documentName);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        // The preview paints into pictures; anything else is the printer the
        // user printed to from the preview.
        const QPaintEngine *engine = target->paintEngine();
        if (beforeOutput && engine && engine->type() != QPaintEngine::Picture && !beforeOutput())
            return;
        // The copy count stays as the print dialog set it.
        const QString error = paintDocument(*target, model, target->copyCount());
        if (!error.isEmpty())
            message(&dialog, kError, error, QMessageBox::Ok);
    });
    if (QToolBar *bar = dialog.findChild<QToolBar *>()) {
        bar->addSeparator();
        QAction *pdf = bar->addAction(QStringLiteral("PDFで保存"));
        pdf->setObjectName(QStringLiteral("SavePdfAction"));
        pdf->setToolTip(QStringLiteral("PDFファイルとして保存します"));
        QObject::connect(pdf, &QAction::triggered, &dialog,
                         [&] { savePdfWith(message, &dialog, model, documentName, beforeOutput); });
    }
    fitPreviewToScreen(dialog, dialog.findChild<QToolBar *>(), parent);
    if (previewHook)
        previewHook(&dialog);
    dialog.exec();
    return PrintOutcome::Printed;
}

} // namespace printing
