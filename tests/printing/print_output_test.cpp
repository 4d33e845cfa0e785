// Putting a bill document out: without a printer the user is told and may
// save a PDF file; the preview always can; the bill changes only when the
// document came out.

#include "gui_test_env.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "shell/message_box.h"
#include "printing/renderer.h"
#include "storage/clock.h"
#include "storage/file_folders.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QList<ShownMessage> shown;
QMessageBox::StandardButton answer = QMessageBox::Yes;

QMessageBox::StandardButton record(QWidget *, const QString &title, const QString &text,
                                   QMessageBox::StandardButtons buttons)
{
    shown.append({title, text, buttons});
    return answer;
}

class PrintOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30)));
        shown.clear();
        answer = QMessageBox::Yes;
        pdfPath = dir.filePath(QStringLiteral("receipt.pdf"));
        printing::setPdfPathChooser([this](QWidget *, const QString &suggested) {
            suggestedName = suggested;
            return pdfPath;
        });
        bill = sample::bill(0);
        bill.SeisanDay.clear();
    }
    void TearDown() override
    {
        printing::setPdfPathChooser({});
        printing::setPreviewHook({});
        Clock::setFixed(QDateTime());
    }

    TDocumentRun receipt()
    {
        TPrintForm form(bill, sample::facility(), QString(), KindReceipt);
        return form.Run();
    }
    void expectBillUntouched()
    {
        EXPECT_EQ(bill.DecideEdit, QStringLiteral("0"));
        EXPECT_EQ(bill.SeisanDay, QString());
        EXPECT_EQ(bill.Lines.size(), 32u);
    }

    QTemporaryDir dir;
    QString pdfPath;
    QString suggestedName;
    TBillState bill;
};

TEST_F(PrintOutputTest, WithoutPrinterTheUserIsToldAndMaySaveAPdf)
{
    if (printing::printerAvailable())
        GTEST_SKIP() << "this machine has a print queue";
    const TDocumentRun run = receipt();
    ASSERT_TRUE(run.ok());

    EXPECT_TRUE(runBillDocumentWith(record, nullptr, bill, run, DocumentMode::Print, 2));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].title, QStringLiteral("確認"));
    EXPECT_EQ(shown[0].text, QStringLiteral("使用できるプリンターがありません。\nPDFファイルとして保存しますか？"));
    EXPECT_EQ(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    // Without a settings file the dialog starts in the clerk's Documents.
    EXPECT_EQ(suggestedName, QDir(filefolders::documentsFolder()).filePath(QStringLiteral("領収書_1186628400.pdf")));
    // Then the user is told where the file went.
    EXPECT_EQ(shown[1].title, QStringLiteral("メッセージ"));
    EXPECT_EQ(shown[1].text, QStringLiteral("PDFファイルを保存しました。\n") + pdfPath);
    QFile pdf(pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    // The receipt came out: the bill is receipted and settled today, its empty page dropped.
    EXPECT_EQ(bill.DecideEdit, QStringLiteral("1"));
    EXPECT_EQ(bill.SeisanDay, QStringLiteral("2007/08/10"));
    EXPECT_EQ(bill.Lines.size(), 16u);
}

TEST_F(PrintOutputTest, NothingChangesWhenTheDocumentDoesNotComeOut)
{
    if (printing::printerAvailable())
        GTEST_SKIP() << "this machine has a print queue";
    const TDocumentRun run = receipt();
    struct Case {
        const char *name;
        QMessageBox::StandardButton answer;
        QString path;
        QStringList titles;
    };
    const Case cases[] = {
        {"no PDF wanted", QMessageBox::No, dir.filePath(QStringLiteral("a.pdf")), {"確認"}},
        {"file dialog cancelled", QMessageBox::Yes, QString(), {"確認"}},
        {"PDF cannot be written", QMessageBox::Yes, dir.filePath(QStringLiteral("missing/a.pdf")), {"確認", "エラー"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        shown.clear();
        answer = c.answer;
        pdfPath = c.path;
        EXPECT_FALSE(runBillDocumentWith(record, nullptr, bill, run, DocumentMode::Print, 1));
        QStringList titles;
        for (const ShownMessage &m : shown)
            titles << m.title;
        EXPECT_EQ(titles, c.titles);
        expectBillUntouched();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.pdf"))));
    }
}

TEST_F(PrintOutputTest, PreviewSavesAPdfAndCountsAsARun)
{
    const TDocumentRun run = receipt();
    bool sawPreview = false;
    printing::setPreviewHook([&](QWidget *dialog) {
        sawPreview = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("印刷プレビュー"));
        QTimer::singleShot(0, dialog, [dialog] {
            QAction *save = dialog->findChild<QAction *>(QStringLiteral("SavePdfAction"));
            ASSERT_NE(save, nullptr);
            save->trigger();
            static_cast<QDialog *>(dialog)->reject();
        });
    });
    EXPECT_TRUE(runBillDocumentWith(record, nullptr, bill, run, DocumentMode::Preview));
    EXPECT_TRUE(sawPreview);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("PDFファイルを保存しました。\n") + pdfPath);
    QFile pdf(pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_EQ(bill.DecideEdit, QStringLiteral("1"));
    EXPECT_EQ(bill.SeisanDay, QStringLiteral("2007/08/10"));
}

TEST_F(PrintOutputTest, CopiesArePaintedWhenThePrinterCannotMakeThem)
{
    // A PDF printer makes no copies itself: every copy is painted.
    const TDocumentRun run = receipt();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("copies.pdf")));
    printing::setUpPrinter(printer, run.model);
    ASSERT_EQ(printing::paintDocument(printer, run.model, 3), QString());
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {dir.filePath(QStringLiteral("copies.pdf"))});
    if (!info.waitForFinished(60000))
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))));
}

} // namespace
