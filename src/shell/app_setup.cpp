#include "shell/app_setup.h"

#include "shell/program_icon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void setUpApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Norvel 領収書発行"));
    app.setWindowIcon(programIcon());
    auto *qtJapanese = new QTranslator(&app);
    if (qtJapanese->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtJapanese);
    else
        delete qtJapanese;
}
