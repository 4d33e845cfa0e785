#pragma once
// Whole-file writes that never leave a torn file: the bytes go to a temporary
// file in the same directory, are flushed to disk, and the temporary file is
// renamed over the target. On failure the old file is untouched.

#include <QString>
#include <cstddef>

// Returns false and a message for the user (naming the file) in *error.
bool writeFileAtomically(const QString &path, const void *data, std::size_t size, QString *error);
