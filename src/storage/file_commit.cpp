#include "file_commit.h"

#include "commit_keeper.h"

#include "file_ops.h"
#include "safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QByteArray RecordHeader = "norvel commit 1";

struct Entry {
    QString target;    // bare names, all in the one directory
    QString temporary; // the new contents
    QString old;       // link to the old contents; empty when the target did not exist
};

QString bareName(const QByteArray &path)
{
    return QFileInfo(QFile::decodeName(path)).fileName();
}

bool exists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QByteArray recordText(const std::vector<Entry> &entries)
{
    QByteArray t = RecordHeader + '\n';
    for (const Entry &e : entries)
        t += e.target.toUtf8() + '\t' + e.temporary.toUtf8() + '\t'
            + (e.old.isEmpty() ? QByteArray("-") : e.old.toUtf8()) + '\n';
    t += "end " + QByteArray::number(qsizetype(entries.size())) + '\n';
    return t;
}

bool isBareName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

// The entries of a complete record; false for a record that is not complete
// or not one of ours.
bool parseRecord(const QByteArray &text, std::vector<Entry> *entries)
{
    QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 3 || lines.takeFirst() != RecordHeader || !lines.takeLast().isEmpty())
        return false;
    const QByteArray end = lines.takeLast();
    if (end != "end " + QByteArray::number(lines.size()))
        return false;
    entries->clear();
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() != 3)
            return false;
        Entry e{QString::fromUtf8(f[0]), QString::fromUtf8(f[1]),
                f[2] == "-" ? QString() : QString::fromUtf8(f[2])};
        if (!isBareName(e.target) || safe_file::temporaryTarget(e.temporary) != e.target
            || (!e.old.isEmpty() && safe_file::temporaryTarget(e.old) != e.target))
            return false;
        entries->push_back(e);
    }
    return true;
}

// Reads the record of dir: 1 complete, 0 none, -1 present but not complete,
// -2 unreadable (errno set).
int readRecord(const QString &dir, std::vector<Entry> *entries)
{
    QFile f(dir + QLatin1Char('/') + QLatin1String(CommitRecordName));
    if (!f.exists())
        return 0;
    if (!f.open(QIODevice::ReadOnly)) {
        errno = EIO;
        return -2;
    }
    const QByteArray text = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        errno = EIO;
        return -2;
    }
    return parseRecord(text, entries) ? 1 : -1;
}

QHash<QString, CommitKeeperFactory> &keepers()
{
    static QHash<QString, CommitKeeperFactory> k;
    return k;
}

class Commit {
public:
    Commit(const QString &dir, const std::vector<FileContent> &files, CommitKeeper *keeper)
        : dir(dir), files(files), keeper(keeper)
    {
    }

    CommitResult run(QString *error);
    int failure = 0; // errno of the failure that left the files unchanged

private:
    QString path(const QString &name) const { return dir + QLatin1Char('/') + name; }
    QByteArray native(const QString &name) const { return QFile::encodeName(path(name)); }
    QString names() const
    {
        QStringList n;
        for (const FileContent &f : files)
            n << f.name;
        return n.join(QStringLiteral("、"));
    }
    // Removes what this commit wrote besides the targets.
    void removeTemporaries() const
    {
        for (const Entry &e : entries) {
            if (!e.temporary.isEmpty())
                fileOps().unlink(native(e.temporary).constData());
            if (!e.old.isEmpty())
                fileOps().unlink(native(e.old).constData());
        }
    }
    CommitResult unchanged(QString *error, const QString &what, int err)
    {
        failure = err;
        removeTemporaries();
        if (error)
            *error = QStringLiteral("%1\n%2\n%3 は保存前のまま残っています。")
                         .arg(what, safe_file::reason(err), names());
        return CommitResult::Unchanged;
    }
    // Undoes the first done renames; true when every target is as before.
    bool undo(int done) const
    {
        for (int i = done - 1; i >= 0; --i) {
            const Entry &e = entries[size_t(i)];
            // The new contents go back to their temporary name first, so that
            // a stop in between leaves a state the next start completes.
            if (fileOps().rename(native(e.target).constData(), native(e.temporary).constData()) != 0)
                return false;
            if (!e.old.isEmpty()
                && fileOps().rename(native(e.old).constData(), native(e.target).constData()) != 0)
                return false;
        }
        return true;
    }

    QString dir;
    const std::vector<FileContent> &files;
    CommitKeeper *keeper;
    std::vector<Entry> entries;
};

CommitResult Commit::run(QString *error)
{
    const QByteArray nativeDir = QFile::encodeName(dir);
    const QString record = path(QLatin1String(CommitRecordName));

    if (const QStringList pending = pendingCommitFiles(dir); !pending.isEmpty()) {
        if (error)
            *error = QStringLiteral("前回の保存 (%1) が終わっていないため、%2 は保存しませんでした。\n"
                                    "プログラムを起動し直すと前回の保存が完了します。")
                         .arg(pending.join(QStringLiteral("、")), names());
        return CommitResult::Unchanged;
    }

    // 1. The new contents, and a second name for the old ones.
    for (const FileContent &f : files) {
        Entry e{f.name, {}, {}};
        QByteArray temporary;
        if (!safe_file::writeTemporary(path(f.name), f.data, f.size, &temporary)) {
            const int err = errno;
            entries.push_back(e);
            return unchanged(error, QStringLiteral("ファイル %1 を保存できませんでした。").arg(f.name), err);
        }
        e.temporary = bareName(temporary);
        entries.push_back(e);
        if (exists(path(f.name))) {
            // A fresh name each try; another file may hold the first one picked.
            for (int tries = 0;; ++tries) {
                const QByteArray old = safe_file::temporaryName(path(f.name));
                if (fileOps().link(native(f.name).constData(), old.constData()) == 0) {
                    entries.back().old = bareName(old);
                    break;
                }
                if (errno != EEXIST || tries > 20)
                    return unchanged(error, QStringLiteral("ファイル %1 を保存できませんでした。").arg(f.name), errno);
            }
        }
    }

    // The files as they were are kept before the save can count as made.
    if (keeper) {
        QString why;
        if (!keeper->ready(&why)) {
            failure = keeper->failure;
            removeTemporaries();
            if (error)
                *error = QStringLiteral("バックアップを作れなかったため、保存しませんでした。\n%1\n%2 は保存前のまま残っています。")
                             .arg(why, names());
            return CommitResult::Unchanged;
        }
    }

    // 2. The record; once it is on disk the save counts as made.
    const QByteArray text = recordText(entries);
    QByteArray recordTemporary;
    if (!safe_file::writeTemporary(record, text.constData(), size_t(text.size()), &recordTemporary))
        return unchanged(error, QStringLiteral("保存の記録を書き込めませんでした。"), errno);
    if (fileOps().rename(recordTemporary.constData(), QFile::encodeName(record).constData()) != 0) {
        const int err = errno;
        fileOps().unlink(recordTemporary.constData());
        return unchanged(error, QStringLiteral("保存の記録を書き込めませんでした。"), err);
    }
    if (!safe_file::syncDirectory(nativeDir)) {
        const int err = errno;
        if (fileOps().unlink(QFile::encodeName(record).constData()) == 0)
            return unchanged(error, QStringLiteral("保存の記録をディスクに書き込めませんでした。"), err);
        // The record stays: carry the save through instead.
    }

    // 3. The renames.
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        if (fileOps().rename(native(e.temporary).constData(), native(e.target).constData()) == 0)
            continue;
        const int err = errno;
        if (undo(int(i)) && fileOps().unlink(QFile::encodeName(record).constData()) == 0) {
            failure = err;
            // Nothing renamed any more; a stale record would be harmless too
            // (it names no temporary file that still exists after this).
            removeTemporaries();
            safe_file::syncDirectory(nativeDir);
            if (error)
                *error = QStringLiteral("ファイル %1 を置き換えられませんでした。\n%2\n%3 は保存前のまま残っています。")
                             .arg(e.target, safe_file::reason(err), names());
            return CommitResult::Unchanged;
        }
        // Undoing failed too: try to finish the save the way a start would.
        QString recoverError;
        if (recoverCommit(dir, {}, &recoverError))
            return CommitResult::Done;
        if (error)
            *error = QStringLiteral("ファイル %1 を置き換えられませんでした。\n%2\n"
                                    "%3 の保存は途中で止まっています。保存の内容は %4 に記録してあり、"
                                    "次にプログラムを起動したときに保存が完了します。それまでこれらのファイルは保存できません。")
                         .arg(e.target, safe_file::reason(err), names(), QLatin1String(CommitRecordName));
        return CommitResult::Pending;
    }
    if (!safe_file::syncDirectory(nativeDir)) {
        // The renames may not be on disk yet; the record is, so it stays and
        // the next start completes them should they be lost.
        if (error)
            *error = QStringLiteral("%1 は新しい内容に置き換えましたが、フォルダーの記録をディスクに書き込めませんでした。\n%2\n"
                                    "保存の内容は %3 に記録してあり、次にプログラムを起動したときに確認されます。")
                         .arg(names(), safe_file::reason(errno), QLatin1String(CommitRecordName));
        return CommitResult::DoneUnconfirmed;
    }

    // 4. Tidy up. A record left behind names no temporary file any more and
    // the next start removes it; the links are removed by the next start too.
    fileOps().unlink(QFile::encodeName(record).constData());
    for (const Entry &e : entries)
        if (!e.old.isEmpty())
            fileOps().unlink(native(e.old).constData());
    return CommitResult::Done;
}

} // namespace

namespace {

bool isSpaceError(int err) { return err == ENOSPC || err == EDQUOT; }

// One try of a save, with its keeper when generations are kept in dir.
CommitResult commitOnce(const QString &dir, const std::vector<FileContent> &files,
                        const std::unique_ptr<CommitKeeper> &keeper, QString *error, int *failure)
{
    *failure = 0;
    if (keeper) {
        QString why;
        if (!keeper->begin(&why)) {
            *failure = keeper->failure;
            keeper->dropped();
            if (error) {
                QStringList n;
                for (const FileContent &f : files)
                    n << f.name;
                *error = QStringLiteral("バックアップを作れなかったため、保存しませんでした。\n%1\n%2 は保存前のまま残っています。")
                             .arg(why, n.join(QStringLiteral("、")));
            }
            return CommitResult::Unchanged;
        }
    }
    Commit commit(dir, files, keeper.get());
    const CommitResult result = commit.run(error);
    if (keeper) {
        if (result == CommitResult::Unchanged)
            keeper->dropped();
        else
            keeper->kept();
    }
    if (result == CommitResult::Unchanged)
        *failure = commit.failure;
    return result;
}

} // namespace

CommitResult commitFiles(const QString &dirPath, const std::vector<FileContent> &files, QString *error)
{
    if (files.empty())
        return CommitResult::Done;
    const QString dir = QDir(dirPath).absolutePath();
    const auto make = keepers().value(dir);
    auto keeperFor = [&] {
        return make && pendingCommitFiles(dir).isEmpty() ? make() : std::unique_ptr<CommitKeeper>();
    };
    std::unique_ptr<CommitKeeper> keeper = keeperFor();
    int failure = 0;
    CommitResult result = commitOnce(dir, files, keeper, error, &failure);
    if (result != CommitResult::Unchanged || !isSpaceError(failure) || !keeper)
        return result;
    // A full disk: the backups the settings no longer keep go first (the
    // Keep numbers may just have been lowered), then one more try.
    if (keeper->freeSpace()) {
        keeper = keeperFor();
        result = commitOnce(dir, files, keeper, error, &failure);
        if (result != CommitResult::Unchanged || !isSpaceError(failure))
            return result;
    }
    if (error && keeper)
        *error += QStringLiteral("\n") + keeper->spaceAdvice();
    return result;
}

void setCommitKeeper(const QString &dir, CommitKeeperFactory make)
{
    const QString key = QDir(dir).absolutePath();
    if (make)
        keepers().insert(key, std::move(make));
    else
        keepers().remove(key);
}

QStringList pendingCommitFiles(const QString &dir)
{
    std::vector<Entry> entries;
    if (readRecord(QDir(dir).absolutePath(), &entries) != 1)
        return {};
    // A record whose new contents are all in place is finished, only not yet removed.
    QStringList names;
    for (const Entry &e : entries)
        if (exists(QDir(dir).absoluteFilePath(e.temporary)))
            names << e.target;
    return names;
}

bool recoverCommit(const QString &dirPath, const std::function<bool(const QString &)> &ownsFile, QString *error)
{
    const QString dir = QDir(dirPath).absolutePath();
    const QByteArray nativeDir = QFile::encodeName(dir);
    auto native = [&](const QString &name) { return QFile::encodeName(dir + QLatin1Char('/') + name); };
    const QByteArray record = native(QLatin1String(CommitRecordName));

    std::vector<Entry> entries;
    switch (readRecord(dir, &entries)) {
    case -2:
        if (error)
            *error = QStringLiteral("前回の保存の記録 %1 を読めません。\n%2")
                         .arg(QDir::toNativeSeparators(QFile::decodeName(record)), safe_file::reason(errno));
        return false;
    case 1:
        for (const Entry &e : entries) {
            if (!exists(dir + QLatin1Char('/') + e.temporary))
                continue; // renamed already
            if (fileOps().rename(native(e.temporary).constData(), native(e.target).constData()) != 0) {
                if (error)
                    *error = QStringLiteral("前回の保存を完了できませんでした: ファイル %1 を置き換えられません。\n%2")
                                 .arg(e.target, safe_file::reason(errno));
                return false;
            }
        }
        if (!safe_file::syncDirectory(nativeDir)) {
            if (error)
                *error = QStringLiteral("前回の保存を完了できませんでした: フォルダーの記録をディスクに書き込めません。\n%1")
                             .arg(safe_file::reason(errno));
            return false;
        }
        [[fallthrough]];
    case -1:
        // Finished, or never complete (then no target was touched).
        if (fileOps().unlink(record.constData()) != 0 && errno != ENOENT) {
            if (error)
                *error = QStringLiteral("前回の保存の記録 %1 を削除できません。\n%2")
                             .arg(QString::fromLatin1(CommitRecordName), safe_file::reason(errno));
            return false;
        }
        break;
    default:
        break;
    }

    // Every temporary file left is unnamed now: the writers' own, and the
    // ones of a commit just finished or never complete.
    if (ownsFile) {
        const QStringList all = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : all) {
            const QString target = safe_file::temporaryTarget(name);
            if (!target.isEmpty() && (target == QLatin1String(CommitRecordName) || ownsFile(target)))
                fileOps().unlink(native(name).constData());
        }
    }
    return true;
}
