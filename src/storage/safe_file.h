#pragma once
// Whole-file writes that never leave a torn file: the bytes go to a temporary
// file in the same directory, are flushed to disk, and the temporary file is
// renamed over the target. On failure the old file is untouched.
//
// Temporary files are named "." + the target's name + "." + six letters or
// digits (.reserve.dat.Ab12Cd); the start-up removes those a crash left.

#include <QByteArray>
#include <QString>
#include <cstddef>

// Returns false and a message for the user (naming the file) in *error. When
// only the final flush of the directory failed the file has been replaced,
// and the message says so.
bool writeFileAtomically(const QString &path, const void *data, std::size_t size, QString *error);

// For the writers of this folder.
namespace safe_file {

// A new temporary file beside path holding the bytes, flushed to disk and
// closed, readable by its owner alone (0600, or the owner's permissions of
// the file at path); its full name in *temporary. False with errno set on failure (no
// temporary file is then left).
bool writeTemporary(const QString &path, const void *data, std::size_t size, QByteArray *temporary);
// Flushes the directory's entries (renames, new and removed names) to disk.
bool syncDirectory(const QByteArray &dir);
// The target's name when name is a temporary file of the writers, else empty.
QString temporaryTarget(const QString &name);
// A fresh unused temporary name for path (for a link to the old file).
QByteArray temporaryName(const QString &path);
// The system's text for an errno value.
QString reason(int err);

} // namespace safe_file
