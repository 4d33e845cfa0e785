#pragma once
// Something that keeps the files of a directory as they were before each
// save (the backup generations). commitFiles calls begin before it writes
// anything, ready once the new contents are written and before the save
// counts as made (false refuses the save), then kept when the save was made
// or dropped when nothing changed. A save refused for want of space is tried
// once more after freeSpace.

#include <QString>
#include <functional>
#include <memory>

class CommitKeeper {
public:
    virtual ~CommitKeeper() = default;
    virtual bool begin(QString *error) = 0;
    virtual bool ready(QString *error) = 0;
    virtual void kept() = 0;
    virtual void dropped() = 0;
    // For a save refused for want of space: frees what the keeper may (true
    // when anything was freed), and says where the space goes.
    virtual bool freeSpace() { return false; }
    virtual QString spaceAdvice() const { return {}; }
    int failure = 0; // errno of a failed begin or ready
};
using CommitKeeperFactory = std::function<std::unique_ptr<CommitKeeper>()>;
// Every later commit into dir asks make for its keeper (an empty make: none).
void setCommitKeeper(const QString &dir, CommitKeeperFactory make);
