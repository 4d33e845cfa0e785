#include "storage/file_folders.h"

#include "storage/ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace filefolders {

namespace {
QString settingsFile;
const QString kSection = QStringLiteral("Folders");
} // namespace

void setSettingsFile(const QString &iniPath)
{
    settingsFile = iniPath;
}

QString startFolder(const QString &kind, const QString &fallback)
{
    if (settingsFile.isEmpty())
        return fallback;
    const QString folder = IniFile(settingsFile).value(kSection, kind);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void remember(const QString &kind, const QString &filePath)
{
    if (settingsFile.isEmpty() || filePath.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(QFileInfo(filePath).absolutePath());
    IniFile ini(settingsFile);
    if (ini.value(kSection, kind) == folder)
        return;
    ini.setValue(kSection, kind, folder);
    ini.save();
}

QString savedFileMessage(const QString &what, const QString &filePath)
{
    return QStringLiteral("%1を保存しました。\n%2").arg(what, QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath()));
}

} // namespace filefolders
