#pragma once
// The command-line moves between the record files and a database store:
//   norvel --import-files DIR   loads a data folder into an empty database
//                               (one transaction) and says what it loaded
//   norvel --export-files DIR   writes the database's records as the files
//                               store writes them, the way back to one PC
//   norvel --check-store        which store is in use, whether it answers,
//                               whether its schema is current

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

enum StoreCommandStatus { StoreCommandOk = 0, StoreCommandFailed = 1, StoreCommandUsage = 2 };

bool isStoreCommand(const QStringList &args);
// Runs it for the data folder dataDir (whose settings file chooses the store,
// unless env names a database).
int runStoreCommand(const QStringList &args, const QString &dataDir, const QProcessEnvironment &env, QString *out,
                    QString *err);
