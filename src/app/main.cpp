#include "register/register_command.h"
#include "reports/month_export.h"
#include "search/bill_search.h"
#include "shell/command_line.h"
#include "app/main_form.h"
#include "storage/backup_command.h"
#include "storage/clock.h"
#include "storage/data_folder.h"
#include "storage/store_command.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A write beyond a file-size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandKind kind = commandKind(args);
    if (kind != CommandKind::Window) {
        // No display needed: nothing here creates a window.
        QCoreApplication app(argc, argv);
        const QString dataFolder =
            dataFolderFor(QCoreApplication::applicationDirPath(), QProcessEnvironment::systemEnvironment());
        switch (kind) {
        case CommandKind::Help:
            std::fputs(commandUsage(dataFolder).toLocal8Bit().constData(), stdout);
            return 0;
        case CommandKind::Version:
            std::fputs(versionLine().toLocal8Bit().constData(), stdout);
            return 0;
        case CommandKind::Export: {
            QString message;
            const int status = runMonthExport(args, dataFolder, &message);
            if (status != ExportOk)
                std::fprintf(stderr, "norvel: %s\n", message.toLocal8Bit().constData());
            return status;
        }
        case CommandKind::Find: {
            QString message;
            QByteArray csv;
            const int status = runFind(args, dataFolder, &csv, &message);
            if (status != ExportOk)
                std::fprintf(stderr, "norvel: %s\n", message.toLocal8Bit().constData());
            else if (!csv.isEmpty())
                std::fwrite(csv.constData(), 1, std::size_t(csv.size()), stdout);
            return status;
        }
        case CommandKind::Register: {
            QString out, err;
            const int status = runRegisterCommand(args, dataFolder, Clock::now(), passphraseFromTerminal, &out, &err);
            if (!out.isEmpty())
                std::printf("%s\n", out.toLocal8Bit().constData());
            if (!err.isEmpty())
                std::fprintf(stderr, "norvel: %s\n", err.toLocal8Bit().constData());
            return status;
        }
        case CommandKind::Backup: {
            QString out, err;
            const int status = runBackupCommand(args, dataFolder, Clock::now(), &out, &err);
            if (!out.isEmpty())
                std::printf("%s\n", out.toLocal8Bit().constData());
            if (!err.isEmpty())
                std::fprintf(stderr, "norvel: %s\n", err.toLocal8Bit().constData());
            return status;
        }
        case CommandKind::Store: {
            QString out, err;
            const int status = runStoreCommand(args, dataFolder, QProcessEnvironment::systemEnvironment(), &out, &err);
            if (!out.isEmpty())
                std::printf("%s\n", out.toLocal8Bit().constData());
            if (!err.isEmpty())
                std::fprintf(stderr, "norvel: %s\n", err.toLocal8Bit().constData());
            return status;
        }
        default:
            std::fprintf(stderr, "norvel: unknown option \"%s\"\n%s", args[0].toLocal8Bit().constData(),
                         commandUsage(dataFolder).toLocal8Bit().constData());
            return ExportUsage;
        }
    }
    QApplication app(argc, argv);
    return TMainForm::runProgram(app);
}
