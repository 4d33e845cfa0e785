#include "storage/data_folder.h"

#include <QDir>
#include <QFileInfo>

bool isInstalledProgramDir(const QString &exeDir)
{
    const QString dir = QDir::cleanPath(QFileInfo(exeDir).absoluteFilePath());
    return dir.startsWith(QLatin1String("/usr/"));
}

QString dataFolderFor(const QString &exeDir, const QProcessEnvironment &env)
{
    if (!isInstalledProgramDir(exeDir))
        return QDir::cleanPath(QFileInfo(exeDir).absoluteFilePath());
    const QString own = env.value(QStringLiteral("NORVEL_DATA_DIR"));
    if (!own.isEmpty())
        return QDir::cleanPath(QFileInfo(own).absoluteFilePath());
    // Only an absolute XDG_DATA_HOME counts, as the base directory rules say.
    const QString xdg = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg + QStringLiteral("/norvel"));
    const QString home = env.value(QStringLiteral("HOME"), QDir::homePath());
    return QDir::cleanPath(home + QStringLiteral("/.local/share/norvel"));
}

QString openDataFolder(const QString &exeDir, QString *error)
{
    const QString dir = dataFolderFor(exeDir, QProcessEnvironment::systemEnvironment());
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("データフォルダー %1 を作成できません。").arg(dir);
        return {};
    }
    return dir;
}

QStringList manualPlaces(const QString &exeDir)
{
    const QString dir = QDir::cleanPath(QFileInfo(exeDir).absoluteFilePath());
    QStringList places{dir + QStringLiteral("/manual/index.html"),
                       QDir::cleanPath(dir + QStringLiteral("/../share/doc/norvel/manual/index.html"))};
#ifdef NORVEL_SOURCE_DIR
    places << QStringLiteral(NORVEL_SOURCE_DIR "/doc/manual/index.html");
#endif
    return places;
}

QString findManual(const QString &exeDir)
{
    for (const QString &place : manualPlaces(exeDir))
        if (QFileInfo(place).isFile())
            return place;
    return {};
}
