#include "reports/month_export.h"
#include "app/main_form.h"

#include <QApplication>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A write beyond a file-size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (isExportCommand(args)) {
        // No display needed: the export never creates a window.
        QCoreApplication app(argc, argv);
        QString message;
        const int status = runMonthExport(args, QCoreApplication::applicationDirPath(), &message);
        if (status != ExportOk)
            std::fprintf(stderr, "norvel: %s\n", message.toLocal8Bit().constData());
        return status;
    }
    QApplication app(argc, argv);
    return TMainForm::runProgram(app);
}
