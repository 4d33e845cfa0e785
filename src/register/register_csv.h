#pragma once
// The register as CSV, for the health centre or the police on request and
// for moving an inn's earlier register (paper typed into a spreadsheet) in:
// UTF-8 with a byte-order mark (read with or without one), CR LF, one guest a
// row, these columns in this order.

#include "register/guest_register.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

QStringList registerCsvColumns();

// The entries as the export writes them.
QByteArray registerCsv(const std::vector<RegisterEntry> &entries);

// Reads a CSV of those columns into new entries (made at the first night,
// or now when that is later). False with the line (1-based) and what is
// wrong in *error at the first row it cannot take; nothing is then returned.
bool parseRegisterCsv(const QByteArray &bytes, const QDateTime &now, std::vector<RegisterEntry> *entries,
                      QString *error);

class GuestRegister;

// Writes the register's entries of the arrival days from..to as CSV to
// outFile, logging the export (with how, e.g. "（コマンド）") in the register
// and storing the log before the file is written: no export goes unrecorded.
enum class RegisterExport { Written, LogNotStored, FileNotWritten };
RegisterExport exportRegisterRange(GuestRegister &reg, const QDate &from, const QDate &to, const QString &outFile,
                                   const QDateTime &now, const QString &how, QString *error);
