#include "library.h"

#include "cp932.h"
#include "ini_file.h"
#include "safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int TLibrary::RecordCount(const QString &path, int recordSize) const
{
    const QFileInfo info(path);
    if (!info.exists() || recordSize <= 0)
        return 0;
    return int(info.size() / recordSize);
}

namespace {

// Up to n bytes at an offset into p; fewer at the file's end or on an error
// (its errno then in *err).
size_t readAt(int fd, char *p, size_t n, size_t offset, int *err)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, p + got, n - got, off_t(offset + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            *err = errno;
        if (r <= 0)
            break;
        got += size_t(r);
    }
    return got;
}

// Reads of this size and more are shared between threads.
constexpr size_t parallelReadMin = size_t(16) << 20;

// A large read is the start-up load of the reservation list into fresh memory,
// and near half its time goes to the kernel zeroing the pages it lands in, so
// it is shared between cores: chunks are taken in turn by this thread and a
// few helpers. The result is the front read without a gap; past the end of
// the file nothing is written (only a read error part-way could leave later
// chunks filled beyond the front).
size_t readInParallel(int fd, char *p, size_t want, int *err)
{
    constexpr size_t chunk = size_t(4) << 20;
    const size_t chunks = (want + chunk - 1) / chunk;
    std::vector<size_t> done(chunks, 0);
    std::vector<int> errors(chunks, 0);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < chunks;)
            done[i] = readAt(fd, p + i * chunk, std::min(chunk, want - i * chunk), i * chunk, &errors[i]);
    };
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned helpers = cores > 1 ? std::min(cores, 4u) - 1 : 0;
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error &) {
            break; // fewer hands, same result
        }
    }
    work();
    for (std::thread &t : threads)
        t.join();
    size_t got = 0;
    for (size_t i = 0; i < chunks; ++i) {
        got += done[i];
        if (done[i] < std::min(chunk, want - i * chunk)) {
            *err = errors[i];
            break;
        }
    }
    return got;
}

} // namespace

int TLibrary::ReadRecords(void *buffer, int recordSize, const QString &path, int count) const
{
    int err = 0;
    return ReadRecords(buffer, recordSize, path, count, &err);
}

int TLibrary::ReadRecords(void *buffer, int recordSize, const QString &path, int count, int *err) const
{
    *err = 0;
    if (count <= 0 || recordSize <= 0)
        return 0;
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return 0;
    }
    const size_t want = size_t(recordSize) * size_t(count);
    char *p = static_cast<char *>(buffer);
    struct stat st {};
    const bool parallel = want >= parallelReadMin && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const size_t got = parallel ? readInParallel(fd, p, want, err) : readAt(fd, p, want, 0, err);
    ::close(fd);
    return int(got / size_t(recordSize));
}

TLibrary::FileProbe TLibrary::ProbeFile(const QString &path)
{
    FileProbe probe;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT)
            return probe;
        probe.exists = true;
        probe.error = QString::fromLocal8Bit(std::strerror(errno));
        return probe;
    }
    probe.exists = true;
    if (S_ISDIR(st.st_mode))
        probe.error = QString::fromLocal8Bit(std::strerror(EISDIR));
    else if (!S_ISREG(st.st_mode))
        probe.error = QStringLiteral("通常のファイルではありません");
    else
        probe.size = qint64(st.st_size);
    return probe;
}

bool TLibrary::WriteRecords(const void *buffer, int recordSize, const QString &path, int count,
                            QString *error) const
{
    if (WritesRefused()) {
        if (error)
            *error = QStringLiteral("ファイル %1 は保存しませんでした。\n%2").arg(QDir::toNativeSeparators(path), refusal);
        return false;
    }
    // A save the next start is to finish must not be overtaken.
    const QFileInfo info(path);
    if (pendingCommitFiles(info.absolutePath()).contains(info.fileName())) {
        if (error)
            *error = QStringLiteral("前回の保存が終わっていないため、ファイル %1 は保存しませんでした。\n"
                                    "プログラムを起動し直すと前回の保存が完了します。")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return writeFileAtomically(path, buffer, size_t(recordSize) * size_t(count < 0 ? 0 : count), error);
}

CommitResult TLibrary::WriteRecordFiles(const std::vector<RecordFile> &files, QString *error) const
{
    if (files.empty())
        return CommitResult::Done;
    const QString dir = QFileInfo(files.front().path).absolutePath();
    QStringList names;
    std::vector<FileContent> contents;
    for (const RecordFile &f : files) {
        const QFileInfo info(f.path);
        if (info.absolutePath() != dir) {
            // All files of one save share the one commit record of their directory.
            if (error)
                *error = QStringLiteral("一度に保存するファイルは同じフォルダーになければなりません: %1")
                             .arg(QDir::toNativeSeparators(f.path));
            return CommitResult::Unchanged;
        }
        names << info.fileName();
        contents.push_back({info.fileName(), f.buffer, size_t(f.recordSize < 0 ? 0 : f.recordSize) * f.count});
    }
    if (WritesRefused()) {
        if (error)
            *error = QStringLiteral("%1 は保存しませんでした。\n%2").arg(names.join(QStringLiteral("、")), refusal);
        return CommitResult::Unchanged;
    }
    return commitFiles(dir, contents, error);
}

QRect TLibrary::LoadFormPlacement(const QString &section, const QRect &current, const QString &iniPath,
                                  const QRect &bounds) const
{
    const IniFile ini(iniPath);
    const int64_t top = ini.intValue(section, QStringLiteral("t"), current.top());
    const int64_t left = ini.intValue(section, QStringLiteral("l"), current.left());
    const int64_t height = ini.intValue(section, QStringLiteral("h"), current.height());
    const int64_t width = ini.intValue(section, QStringLiteral("w"), current.width());
    // Sums in 64 bits: a stored 2147483647 must not wrap around.
    constexpr int64_t limit = 1 << 24;
    bool fits = width > 0 && height > 0 && width < limit && height < limit && std::abs(left) < limit
        && std::abs(top) < limit;
    // On the screen: no larger than it, and the top-left corner (where the
    // window is taken hold of) on it.
    if (fits && bounds.isValid())
        fits = width <= bounds.width() && height <= bounds.height() && left >= bounds.left()
            && left <= bounds.right() && top >= bounds.top() && top <= bounds.bottom();
    if (!fits)
        return current;
    return QRect(int(left), int(top), int(width), int(height));
}

bool TLibrary::SaveFormPlacement(const QString &section, const QRect &geometry, const QString &iniPath,
                                 QString *error) const
{
    IniFile ini(iniPath);
    ini.setValue(section, QStringLiteral("t"), QString::number(geometry.top()));
    ini.setValue(section, QStringLiteral("l"), QString::number(geometry.left()));
    ini.setValue(section, QStringLiteral("h"), QString::number(geometry.height()));
    ini.setValue(section, QStringLiteral("w"), QString::number(geometry.width()));
    return ini.save(error);
}

QString TLibrary::ReplaceText(QString text, const QString &searched, const QString &replacement)
{
    // A replacement that contains the searched text would never end.
    if (searched.isEmpty() || replacement.contains(searched))
        return text.replace(searched, replacement);
    qsizetype at;
    while ((at = text.indexOf(searched)) >= 0)
        text.replace(at, searched.size(), replacement);
    return text;
}

QString TLibrary::RightText(const QString &text, int n)
{
    const QByteArray b = cp932::encode(text);
    if (b.size() <= n)
        return text;
    return cp932::decode(b.right(n < 0 ? 0 : n));
}

QStringList TLibrary::SplitComma(const QString &text)
{
    return text.split(QLatin1Char(','));
}

QString TLibrary::FormatPicture(int64_t value, const QString &picture)
{
    const QString s = QString::number(value);
    qsizetype n = picture.count(QLatin1Char('9'));
    qsizetype i = 0; // next character of s to place
    QString out;
    out.reserve(picture.size());
    for (QChar c : picture) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (s.size() >= n && i < s.size())
                out.append(s.at(i++));
            else
                out.append(QLatin1Char(' '));
            --n;
        } else if (c == QLatin1Char(',') && i == 0) {
            out.append(QLatin1Char(' '));
        } else if (!out.endsWith(QLatin1Char('-'))) {
            out.append(c);
        }
    }
    return out;
}
