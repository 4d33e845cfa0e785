#include "safe_file.h"

#include "file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The plain system calls.
int FileOps::mkstemp(char *nameTemplate) { return ::mkostemp(nameTemplate, O_CLOEXEC); }
int FileOps::open(const char *path, int flags) { return ::open(path, flags | O_CLOEXEC); }
ssize_t FileOps::write(int fd, const void *data, std::size_t size) { return ::write(fd, data, size); }
int FileOps::fsync(int fd) { return ::fsync(fd); }
int FileOps::close(int fd) { return ::close(fd); }
int FileOps::rename(const char *from, const char *to) { return ::rename(from, to); }
int FileOps::link(const char *from, const char *to) { return ::link(from, to); }
int FileOps::unlink(const char *path) { return ::unlink(path); }
int FileOps::mkdir(const char *path, mode_t mode) { return ::mkdir(path, mode); }
int FileOps::rmdir(const char *path) { return ::rmdir(path); }

namespace {
FileOps plainOps;
FileOps *currentOps = &plainOps;
} // namespace

FileOps &fileOps() { return *currentOps; }

FileOps *setFileOps(FileOps *ops)
{
    FileOps *previous = currentOps == &plainOps ? nullptr : currentOps;
    currentOps = ops ? ops : &plainOps;
    return previous;
}

namespace safe_file {

namespace {

bool writeAll(int fd, const char *p, std::size_t n)
{
    while (n > 0) {
        // Large writes in slices keep a signal or a limit from costing a huge retry.
        ssize_t w = fileOps().write(fd, p, n > (64u << 20) ? (64u << 20) : n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

QString temporaryPrefix(const QString &path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QLatin1Char('/') + QLatin1Char('.') + info.fileName() + QLatin1Char('.');
}

} // namespace

QString reason(int err)
{
    // The desk reads the program's messages in Japanese; the system's own
    // texts are English on these machines, so the usual causes are said here.
    switch (err) {
    case ENOENT: return QStringLiteral("フォルダーまたはファイルがありません。");
    case ENOTDIR: return QStringLiteral("途中にフォルダーでないものがあります。");
    case EISDIR: return QStringLiteral("同じ名前のフォルダーがあります。");
    case EEXIST: return QStringLiteral("同じ名前のファイルがあります。");
    case EACCES:
    case EPERM: return QStringLiteral("書き込む権限がありません。");
    case EROFS: return QStringLiteral("読み取り専用の場所です。");
    case ENOSPC: return QStringLiteral("ディスクの空きが足りません。");
    case EDQUOT: return QStringLiteral("ディスクの割り当てを超えました。");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます。");
    case EIO: return QStringLiteral("ディスクの読み書きに失敗しました。");
    case ENAMETOOLONG: return QStringLiteral("ファイル名が長すぎます。");
    case EMFILE:
    case ENFILE: return QStringLiteral("開いているファイルが多すぎます。");
    default: return QStringLiteral("システムのエラー %1（%2）").arg(err).arg(QString::fromLocal8Bit(std::strerror(err)));
    }
}

bool writeTemporary(const QString &path, const void *data, std::size_t size, QByteArray *temporary)
{
    QByteArray tmpl = QFile::encodeName(temporaryPrefix(path) + QStringLiteral("XXXXXX"));
    const int fd = fileOps().mkstemp(tmpl.data());
    if (fd < 0)
        return false;
    // The inn's data are for its user alone, whatever the umask: a new file
    // is 0600, a replaced one keeps only its owner's permissions.
    struct stat st {};
    const mode_t mode = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0700) | 0600 : 0600;
    ::fchmod(fd, mode);

    bool ok = writeAll(fd, static_cast<const char *>(data), size) && fileOps().fsync(fd) == 0;
    int err = errno;
    if (fileOps().close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        fileOps().unlink(tmpl.constData());
        errno = err;
        return false;
    }
    *temporary = tmpl;
    return true;
}

bool syncDirectory(const QByteArray &dir)
{
    const int fd = fileOps().open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = fileOps().fsync(fd) == 0;
    const int err = errno;
    fileOps().close(fd);
    errno = err;
    return ok;
}

QString temporaryTarget(const QString &name)
{
    // "." + target + "." + six letters or digits
    if (name.size() < 9 || name.at(0) != QLatin1Char('.') || name.at(name.size() - 7) != QLatin1Char('.'))
        return {};
    for (qsizetype i = name.size() - 6; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return {};
    }
    return name.mid(1, name.size() - 8);
}

QByteArray temporaryName(const QString &path)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix(6, QLatin1Char('x'));
    for (QChar &c : suffix)
        c = QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return QFile::encodeName(temporaryPrefix(path) + suffix);
}

} // namespace safe_file

namespace {

QString failure(const QString &path, int err)
{
    return QStringLiteral("ファイル %1 を保存できませんでした。\n%2\n保存前のファイルはそのまま残っています。")
        .arg(QDir::toNativeSeparators(path), safe_file::reason(err));
}

} // namespace

bool writeFileAtomically(const QString &path, const void *data, std::size_t size, QString *error)
{
    const QFileInfo info(path);
    QByteArray temporary;
    if (!safe_file::writeTemporary(info.absoluteFilePath(), data, size, &temporary)) {
        if (error)
            *error = failure(path, errno);
        return false;
    }
    if (fileOps().rename(temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const int err = errno;
        fileOps().unlink(temporary.constData());
        if (error)
            *error = failure(path, err);
        return false;
    }
    // The rename itself must reach the disk too.
    if (!safe_file::syncDirectory(QFile::encodeName(info.absolutePath()))) {
        if (error)
            *error = QStringLiteral("ファイル %1 は新しい内容に置き換えましたが、フォルダーの記録をディスクに書き込めませんでした。\n%2\n"
                                    "このまま電源が切れると、保存前の内容に戻ることがあります。")
                         .arg(QDir::toNativeSeparators(path), safe_file::reason(errno));
        return false;
    }
    return true;
}
