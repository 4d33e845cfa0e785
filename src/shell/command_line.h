#pragma once
// What the command line asks for, before any window or display exists.

#include <QString>
#include <QStringList>

enum class CommandKind {
    Window,  // no arguments: the program's window
    Help,    // --help, -h: the usage on standard output, status 0
    Version, // --version: the version on standard output, status 0
    Export,  // --export ...: a month report as CSV (checks its own options)
    Find,    // --find TEXT ...: the bills found as CSV (checks its own options)
    Register, // --export register ..., --import-register ...: the guest register
    Backup,  // --backup DIR, --verify-backup DIR (check their own arguments)
    Store,   // --import-files DIR, --export-files DIR, --check-store (the same)
    Unknown, // anything else: the usage on standard error, status 2
};

CommandKind commandKind(const QStringList &args);

// The text --help prints; dataFolder is named in it, so that the user knows
// which data a started program or an export will use.
QString commandUsage(const QString &dataFolder);
QString versionLine();
