#pragma once
// Where the program keeps the inn's data and where it finds its manual.
//
// A copy started from its own folder (a portable copy, what ./run starts)
// keeps its data beside itself, as it always has. A copy installed by the
// package lies under /usr, which is no place for data: it keeps them in the
// user's data folder instead, NORVEL_DATA_DIR when set, otherwise
// $XDG_DATA_HOME/norvel, otherwise ~/.local/share/norvel.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether the executable's folder belongs to an installed program.
bool isInstalledProgramDir(const QString &exeDir);

// The data folder for an executable in exeDir, without a trailing "/".
QString dataFolderFor(const QString &exeDir, const QProcessEnvironment &env);

// The data folder of this process (its executable's folder and environment),
// created when missing (readable by its user alone). Empty with *error set
// when it cannot be made.
QString openDataFolder(const QString &exeDir, QString *error);

// Takes the permissions of group and others away from the data folder, the
// inn's files in it and everything in its backup folder (symbolic links are
// never followed): a folder made by an earlier version with the usual umask
// is readable by every user of the PC. How many entries were changed.
int tightenDataFolder(const QString &dataDir, const QString &backupDir);

// Where the manual's first page may lie, most specific first: beside a
// portable copy, the package's documentation folder, the checkout the
// program was built from.
QStringList manualPlaces(const QString &exeDir);
// The first of those that exists; empty when none does.
QString findManual(const QString &exeDir);
