#pragma once
// The command-line copies for the inn's own backup (a USB stick, a NAS):
//   norvel --backup DIR         a consistent copy of the data folder as a new
//                               generation in DIR, while the program may be open
//   norvel --verify-backup DIR  checks every generation in DIR (or DIR itself
//                               when it is one): manifest, sizes, whole records
//                               and checksums

#include <QDateTime>
#include <QString>
#include <QStringList>

enum BackupStatus { BackupOk = 0, BackupFailed = 1, BackupUsage = 2 };

bool isBackupCommand(const QStringList &args);
// Runs it on the data folder dataDir; what it has to say goes to *out (a
// report line per generation, the folder made) and *err (why it failed).
int runBackupCommand(const QStringList &args, const QString &dataDir, const QDateTime &now, QString *out,
                     QString *err);
