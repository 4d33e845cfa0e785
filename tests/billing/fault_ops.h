#pragma once
// The file operations of a save under test: counted, failed once or from a
// call on (a full disk), or the process killed before or after a chosen one.

#include "storage/file_ops.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cerrno>
#include <csignal>
#include <unistd.h>

// Counts every file operation; fails or kills the process at a chosen one.
class FaultOps : public FileOps {
public:
    enum Mode { Count, FailOnce, DiskFull, KillBefore, KillAfter };
    Mode mode = Count;
    int at = 0;    // 1-based number of the operation the fault hits
    int calls = 0; // operations so far

    int mkstemp(char *t) override { return call(true, [&] { return FileOps::mkstemp(t); }); }
    int open(const char *p, int f) override { return call(false, [&] { return FileOps::open(p, f); }); }
    ssize_t write(int fd, const void *d, std::size_t n) override
    {
        return call(true, [&] { return FileOps::write(fd, d, n); });
    }
    int fsync(int fd) override { return call(true, [&] { return FileOps::fsync(fd); }); }
    int close(int fd) override { return call(false, [&] { return FileOps::close(fd); }, true); }
    int rename(const char *a, const char *b) override { return call(false, [&] { return FileOps::rename(a, b); }); }
    int link(const char *a, const char *b) override { return call(true, [&] { return FileOps::link(a, b); }); }
    int unlink(const char *p) override { return call(false, [&] { return FileOps::unlink(p); }); }

private:
    // needsSpace: the operations a full disk refuses.
    template <class F> auto call(bool needsSpace, F op, bool releases = false) -> decltype(op())
    {
        const int n = ++calls;
        if (n == at && mode == KillBefore)
            ::kill(::getpid(), SIGKILL);
        if ((n == at && mode == FailOnce) || (n >= at && mode == DiskFull && needsSpace)) {
            if (releases)
                op(); // a failed close still releases the descriptor
            errno = mode == DiskFull ? ENOSPC : EIO;
            return decltype(op())(-1);
        }
        const auto r = op();
        if (n == at && mode == KillAfter)
            ::kill(::getpid(), SIGKILL);
        return r;
    }
};

// The sweeps run thousands of flushes: on a memory file system where there is
// one (the calls and their order are the same; only the disk wait goes).
inline QString sweepRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? QStringLiteral("/dev/shm/norvel-faults-XXXXXX")
                                           : QDir::tempPath() + QStringLiteral("/norvel-faults-XXXXXX");
}

struct ScopedOps {
    explicit ScopedOps(FileOps *ops) { setFileOps(ops); }
    ~ScopedOps() { setFileOps(nullptr); }
};

