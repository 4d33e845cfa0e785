#pragma once
// The system calls through which every data file is written, renamed and
// removed. The program uses the plain calls; the storage tests put in their
// own to fail or stop the process at any chosen step of a save.

#include <cstddef>
#include <sys/types.h>

class FileOps {
public:
    virtual ~FileOps() = default;
    // Each behaves as the system call of the same name (-1 and errno on failure).
    virtual int mkstemp(char *nameTemplate);
    virtual int open(const char *path, int flags);
    virtual ssize_t write(int fd, const void *data, std::size_t size);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char *from, const char *to);
    virtual int link(const char *from, const char *to);
    virtual int unlink(const char *path);
    virtual int mkdir(const char *path, mode_t mode);
    virtual int rmdir(const char *path);
};

// The calls in use: the plain ones unless a test has put in its own.
FileOps &fileOps();
// Puts in other calls (null restores the plain ones); returns the previous ones.
FileOps *setFileOps(FileOps *ops);
