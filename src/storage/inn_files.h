#pragma once
// The inn's own files: every file the program keeps in its data folder, and
// the only files a backup generation may hold or a restore may write. A new
// data file is added to this one list and nowhere else.

#include <QString>
#include <QStringList>
#include <vector>

struct InnFile {
    const char *name;
    // A person may change it with an editor or a copy, in place: a backup
    // keeps its own copy of it rather than sharing the file.
    bool editedByHand;
};

// In the order a backup lists them.
const std::vector<InnFile> &innFiles();
// Their names.
QStringList innFileNames();
// Whether name (a bare file name) is one of them.
bool isInnFile(const QString &name);
// Whether name is one of them that a person may edit in place.
bool isEditedByHand(const QString &name);
