#include "shell/main_form.h"

#include <QApplication>
#include <csignal>

int main(int argc, char *argv[])
{
    // A write beyond a file-size limit must fail with an error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    return TMainForm::runProgram(app);
}
