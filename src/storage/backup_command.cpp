#include "backup_command.h"

#include "generations.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Backup = QStringLiteral("--backup");
const QString Verify = QStringLiteral("--verify-backup");

QString describe(const Generation &g)
{
    QString text = g.name;
    if (g.complete && g.problem.isEmpty() && !g.files.empty())
        text += QStringLiteral("  (%1 ファイル、請求書 %2 件、最新の精算日 %3)")
                    .arg(g.files.size())
                    .arg(g.bills)
                    .arg(g.newestSettlement.isEmpty() ? QStringLiteral("なし") : g.newestSettlement);
    return text;
}

int verify(const QString &dir, QString *out, QString *err)
{
    if (!QFileInfo(dir).isDir()) {
        *err = QStringLiteral("%1 is no folder").arg(dir);
        return BackupFailed;
    }
    std::vector<Generation> list;
    if (QFileInfo::exists(dir + QLatin1Char('/') + QLatin1String(ManifestName)) || parseGenerationName(QFileInfo(QDir(dir).absolutePath()).fileName()))
        list.push_back(readGeneration(dir));
    else
        list = listGenerations(dir, true);
    if (list.empty()) {
        *err = QStringLiteral("%1 holds no backup generation").arg(dir);
        return BackupFailed;
    }
    int bad = 0;
    QStringList lines;
    for (Generation &g : list) {
        if (checkGeneration(g, true)) {
            lines << QStringLiteral("OK  ") + describe(g);
        } else {
            ++bad;
            lines << QStringLiteral("NG  ") + g.name + QStringLiteral(": ") + g.problem;
        }
    }
    *out = lines.join(QLatin1Char('\n'));
    if (bad > 0) {
        *err = QStringLiteral("%1 of %2 generations in %3 do not check").arg(bad).arg(list.size()).arg(dir);
        return BackupFailed;
    }
    return BackupOk;
}

} // namespace

bool isBackupCommand(const QStringList &args)
{
    return args.contains(Backup) || args.contains(Verify);
}

int runBackupCommand(const QStringList &args, const QString &dataDir, const QDateTime &now, QString *out,
                     QString *err)
{
    const QString usage = QStringLiteral("usage: norvel --backup DIR | norvel --verify-backup DIR");
    if (args.size() != 2 || (args[0] != Backup && args[0] != Verify) || args[1].isEmpty()
        || args[1].startsWith(QLatin1String("--"))) {
        *err = usage;
        return BackupUsage;
    }
    if (args[0] == Verify)
        return verify(args[1], out, err);
    // A copy cut short before (the stick pulled, the machine stopped) would
    // fail every later check: it is removed first, and said so. Not in the
    // data folder's own backups, where a save may be making one right now.
    QStringList notes;
    const QString dest = QDir(args[1]).absolutePath();
    if (QDir::cleanPath(dest) != QDir::cleanPath(QDir(dataDir).absoluteFilePath(QStringLiteral("backup")))) {
        QStringList removed;
        removeIncompleteGenerations(dest, &removed);
        for (const QString &n : removed)
            notes << QStringLiteral("removed %1: a copy cut short before (no manifest)").arg(QDir::toNativeSeparators(QDir(dest).filePath(n)));
    }
    if (const QString clock = clockWarning(dest, now); !clock.isEmpty())
        notes << QStringLiteral("warning: ") + clock;
    QString made;
    if (!backupDataFolder(dataDir, args[1], now, &made, err)) {
        if (!notes.isEmpty())
            *out = notes.join(QLatin1Char('\n'));
        return BackupFailed;
    }
    Generation g = readGeneration(made);
    if (!checkGeneration(g, true)) {
        // Read back from the stick: a copy that does not check is no backup.
        *err = QStringLiteral("the copy in %1 does not check: %2").arg(made, g.problem);
        return BackupFailed;
    }
    notes << QStringLiteral("OK  ") + QDir::toNativeSeparators(made) + QStringLiteral("  ") + describe(g).mid(g.name.size()).trimmed();
    *out = notes.join(QLatin1Char('\n'));
    return BackupOk;
}
