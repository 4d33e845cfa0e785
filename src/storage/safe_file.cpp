#include "safe_file.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString failure(const QString &path, int err)
{
    return QStringLiteral("ファイル %1 を保存できませんでした。\n%2\n保存前のファイルはそのまま残っています。")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(err)));
}

bool writeAll(int fd, const char *p, std::size_t n)
{
    while (n > 0) {
        // Large writes in slices keep a signal or a limit from costing a huge retry.
        ssize_t w = ::write(fd, p, n > (64u << 20) ? (64u << 20) : n);
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

} // namespace

bool writeFileAtomically(const QString &path, const void *data, std::size_t size, QString *error)
{
    const QFileInfo info(path);
    const QByteArray dir = QFile::encodeName(info.absolutePath());
    QByteArray tmpl = QFile::encodeName(info.absolutePath() + QLatin1Char('/') + QLatin1Char('.')
                                        + info.fileName() + QStringLiteral(".XXXXXX"));
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        if (error)
            *error = failure(path, errno);
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat st {};
    mode_t mode;
    if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    bool ok = writeAll(fd, static_cast<const char *>(data), size) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmpl.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmpl.constData());
        if (error)
            *error = failure(path, err);
        return false;
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}
