#include "storage/data_folder.h"

#include "storage/inn_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

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
    if (!QFileInfo(dir).isDir() && (!QDir().mkpath(QFileInfo(dir).absolutePath())
                                    || (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST))) {
        *error = QStringLiteral("データフォルダー %1 を作成できません。").arg(dir);
        return {};
    }
    return dir;
}

namespace {

// Takes group's and others' permissions off the entry itself (never through a link).
bool tighten(const QString &path)
{
    struct stat st {};
    const QByteArray p = QFile::encodeName(path);
    if (::lstat(p.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) || (st.st_mode & 077) == 0)
        return false;
    return ::chmod(p.constData(), st.st_mode & 07700) == 0;
}

} // namespace

int tightenDataFolder(const QString &dataDir, const QString &backupDir)
{
    int changed = tighten(dataDir) ? 1 : 0;
    for (const QString &name : innFileNames())
        changed += tighten(QDir(dataDir).filePath(name)) ? 1 : 0;
    changed += tighten(backupDir) ? 1 : 0;
    QDirIterator it(backupDir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        changed += tighten(it.next()) ? 1 : 0;
    return changed;
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
