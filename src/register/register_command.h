#pragma once
// The register from the command line, without a window:
//
//   norvel --export register --from DATE --to DATE --out FILE [--passphrase-file F]
//   norvel --import-register FILE.csv --passphrase-file F
//
// The pass phrase comes from the first line of the file named, or is asked
// for on the terminal (without echo); never from the command line itself.
// Every export and import is written to the register's log.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// True when the arguments ask for the register's export or import.
bool isRegisterCommand(const QStringList &args);

// Asks for the pass phrase (prompt shown); false when none can be read.
using PassphrasePrompt = std::function<bool(const QString &prompt, QByteArray *passphrase)>;
// Reads from the controlling terminal with echo off.
bool passphraseFromTerminal(const QString &prompt, QByteArray *passphrase);

// Runs it on the data folder exePath; the exit status (as the month export's:
// 0, 2 usage, 3 data, 5 write; 6 a pass phrase refused). Lines for standard
// output in *out (the recovery key of a register just made), one line of
// failure in *error.
int runRegisterCommand(const QStringList &args, const QString &exePath, const QDateTime &now,
                       const PassphrasePrompt &prompt, QString *out, QString *error);
