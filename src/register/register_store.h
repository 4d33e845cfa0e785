#pragma once
// Where the register's sealed files live. The register only ever loads a
// sealed blob by name and saves several of them in one all-or-nothing step;
// the files beside the program are the default store, and any other store
// (a database shared by several desks) gives the same two operations.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct SealedBlob {
    QString name;
    QByteArray bytes;
};

class RegisterStore {
public:
    virtual ~RegisterStore() = default;
    // The blob of that name; *exists false (and true returned) when there is
    // none. False with a message when it exists but cannot be read.
    virtual bool load(const QString &name, QByteArray *bytes, bool *exists, QString *error) const = 0;
    // Replaces the blobs all together or none of them. False with a message
    // that says what the store now holds.
    virtual bool save(const std::vector<SealedBlob> &blobs, QString *error) = 0;
};

// The sealed files in the data folder, replaced through the storage layer's
// one commit (so backup generations keep them as they keep the other files).
class RegisterFileStore : public RegisterStore {
public:
    explicit RegisterFileStore(const QString &dir);
    bool load(const QString &name, QByteArray *bytes, bool *exists, QString *error) const override;
    bool save(const std::vector<SealedBlob> &blobs, QString *error) override;

private:
    QString dir;
};

// The register's files in the data folder, as backups keep them.
QStringList registerFileNames();
