// Direct printing through a real print queue: the test starts its own print
// server on a private socket (nothing of the system's is touched), with one
// queue that writes every job into a file, and prints a receipt to it.
// Skipped where the print server is not installed.

#include "gui_test_env.h"
#include "sample_bill.h"

#include "printing/bill_documents.h"
#include "shell/message_box.h"
#include "printing/renderer.h"
#include "storage/clock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

QList<ShownMessage> shown;

QMessageBox::StandardButton record(QWidget *, const QString &title, const QString &text,
                                   QMessageBox::StandardButtons buttons)
{
    shown.append({title, text, buttons});
    return QMessageBox::No;
}

// A print server of our own, listening on a socket in a temporary folder.
class PrivatePrintServer {
public:
    bool start(QString *why)
    {
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin")});
        const QString lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin")});
        if (cupsd.isEmpty() || lpadmin.isEmpty()) {
            *why = QStringLiteral("the print server (cups-daemon, cups-client) is not installed");
            return false;
        }
        const QString root = dir.path();
        for (const char *sub : {"conf", "spool", "tmp", "cache", "state", "out", "bin/backend"})
            QDir(root).mkpath(QLatin1String(sub));
        QFile::setPermissions(root, QFile::Permissions(0x7755));
        QFile::setPermissions(root + QStringLiteral("/tmp"), QFile::Permissions(0x7777));
        // The server's programs are the system's, but for one backend of ours
        // that keeps each job in a file, with its copy count beside it.
        QFile::link(QStringLiteral("/usr/lib/cups/daemon"), root + QStringLiteral("/bin/daemon"));
        QFile::link(QStringLiteral("/usr/lib/cups/filter"), root + QStringLiteral("/bin/filter"));
        write(QStringLiteral("bin/backend/capture"),
              QStringLiteral("#!/bin/sh\n"
                             "if [ $# -eq 0 ]; then echo 'direct capture \"Unknown\" \"Capture\"'; exit 0; fi\n"
                             "out=\"${DEVICE_URI#capture:}\"\n"
                             "if [ -n \"$6\" ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
                             "echo \"$4\" > \"$out.copies\"\n"
                             "mv \"$out.part\" \"$out\"\n"));
        QFile::setPermissions(dir.filePath(QStringLiteral("bin/backend/capture")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        socket = root + QStringLiteral("/cups.sock");
        output = root + QStringLiteral("/out/job.prn");
        write(QStringLiteral("conf/cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socket));
        write(QStringLiteral("conf/cups-files.conf"),
              QStringLiteral("ServerRoot %1/conf\nServerBin %1/bin\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                             "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/error_log\n"
                             "AccessLog %1/access_log\nPageLog %1/page_log\n")
                  .arg(root));
        server.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/conf/cupsd.conf"),
                             QStringLiteral("-s"), root + QStringLiteral("/conf/cups-files.conf")});
        if (!server.waitForStarted(10000)) {
            *why = QStringLiteral("the print server did not start");
            return false;
        }
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
        for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
            QThread::msleep(100);
        QProcess admin;
        admin.start(lpadmin, {QStringLiteral("-p"), QStringLiteral("Desk"), QStringLiteral("-E"), QStringLiteral("-v"),
                              QStringLiteral("capture:") + output, QStringLiteral("-m"), QStringLiteral("raw")});
        admin.waitForFinished(30000);
        admin.start(lpadmin, {QStringLiteral("-d"), QStringLiteral("Desk")});
        admin.waitForFinished(30000);
        if (admin.exitCode() != 0) {
            *why = QStringLiteral("the test queue could not be set up: ") + QString::fromLocal8Bit(admin.readAllStandardError());
            return false;
        }
        return true;
    }

    // The bytes of the first job and its copy count, once the queue has written them.
    QByteArray job(int *copies)
    {
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(output) && waited.elapsed() < 60000)
            QThread::msleep(200);
        QFile f(output), c(output + QStringLiteral(".copies"));
        if (!f.open(QIODevice::ReadOnly) || !c.open(QIODevice::ReadOnly))
            return QByteArray();
        *copies = c.readAll().trimmed().toInt();
        return f.readAll();
    }

    ~PrivatePrintServer()
    {
        qunsetenv("CUPS_SERVER");
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            if (!server.waitForFinished(10000))
                server.kill();
        }
    }

private:
    void write(const QString &name, const QString &text)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }

    QTemporaryDir dir;
    QProcess server;
    QString socket;
    QString output;
};

TEST(PrintQueue, ReceiptGoesToTheDefaultPrinterAndTheBillIsReceipted)
{
    PrivatePrintServer cups;
    QString why;
    if (!cups.start(&why))
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(printing::printerAvailable());
    EXPECT_EQ(QPrinterInfo::defaultPrinter().printerName(), QStringLiteral("Desk"));

    Clock::setFixed(QDateTime(QDate(2007, 8, 10), QTime(9, 30)));
    TBillState bill = sample::bill(0);
    bill.SeisanDay.clear();
    TPrintForm form(bill, sample::facility(), QString(), KindReceipt);
    const TDocumentRun run = form.Run();
    Clock::setFixed(QDateTime());
    ASSERT_TRUE(run.ok());

    EXPECT_TRUE(runBillDocumentWith(record, nullptr, bill, run, DocumentMode::Print, 2));
    EXPECT_TRUE(shown.isEmpty()) << "no question about a missing printer";
    EXPECT_EQ(bill.DecideEdit, QStringLiteral("1"));
    EXPECT_EQ(bill.SeisanDay, QStringLiteral("2007/08/10"));

    int copies = 0;
    const QByteArray job = cups.job(&copies);
    ASSERT_TRUE(job.startsWith("%PDF")) << "the queue received the document";
    EXPECT_EQ(copies, 2) << "the printer makes the copies";
    // The job is the A5 receipt: read its text back.
    QTemporaryDir out;
    QFile pdf(out.filePath(QStringLiteral("job.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write(job);
    pdf.close();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf.fileName(), QStringLiteral("-")});
    if (!text.waitForFinished(60000))
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf.fileName()});
    info.waitForFinished(60000);
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("(A5)"))) << "on A5 paper";
    EXPECT_TRUE(printed.contains(QStringLiteral("領収書")));
    EXPECT_TRUE(printed.contains(QStringLiteral("\u00A552,600")));
}

} // namespace
