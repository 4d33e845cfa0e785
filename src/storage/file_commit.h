#pragma once
// Saves that replace several files of one directory all or nothing, even
// across a crash, a full disk or a failed rename.
//
// 1. Every new file is written as a temporary file beside its target and
//    flushed; every existing target gets a second name (a hard link), so its
//    old contents can be put back.
// 2. The commit record "norvel.commit" is written (through a temporary file
//    and a rename, so it is either absent or complete) naming each target,
//    its new temporary file and the link to its old contents, and the
//    directory is flushed. From here on the save counts as made.
// 3. Each temporary file is renamed over its target; the directory is flushed.
// 4. The record and the links are removed.
//
// A failure before step 3 removes what was written: the files stay as they
// were. A failed rename in step 3 renames the files already replaced back to
// their temporary names and the links back over the targets, then removes the
// record: again nothing changed. A process stopped anywhere leaves either no
// record (the targets untouched) or a complete one; recoverCommit, run at
// every start before anything is read, then finishes the renames, and removes
// every temporary file that no complete record names.
//
// The files themselves keep their formats: the record is a separate small
// text file that exists only while a save is under way.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <vector>

inline constexpr char CommitRecordName[] = "norvel.commit";

struct FileContent {
    QString name; // bare file name inside the directory
    const void *data;
    std::size_t size;
};

enum class CommitResult {
    Done,            // every file holds its new contents
    Unchanged,       // failed; every file is as it was
    DoneUnconfirmed, // replaced, but the directory could not be flushed to disk
    Pending,         // half done and could not be undone; the next start finishes it
};

// Replaces the files in dir. Unless Done, *error holds the message for the
// user, saying truthfully what the files hold.
CommitResult commitFiles(const QString &dir, const std::vector<FileContent> &files, QString *error);

// Files of dir named by a commit that is waiting to be finished by the next
// start (empty when none). Nothing may write them before that.
QStringList pendingCommitFiles(const QString &dir);

// Start-up: finishes a commit whose record is complete, removes an incomplete
// record, then removes every temporary file in dir whose target ownsFile
// accepts. False with a message when a commit could not be finished (the
// files may then disagree and must not be loaded as they are).
bool recoverCommit(const QString &dir, const std::function<bool(const QString &)> &ownsFile, QString *error);
