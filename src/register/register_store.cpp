#include "register/register_store.h"

#include "storage/file_commit.h"

#include <QFile>

RegisterFileStore::RegisterFileStore(const QString &dir) : dir(dir.endsWith(QLatin1Char('/')) ? dir.chopped(1) : dir) {}

bool RegisterFileStore::load(const QString &name, QByteArray *bytes, bool *exists, QString *error) const
{
    QFile f(dir + QLatin1Char('/') + name);
    *exists = f.exists();
    if (!*exists)
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を開けません: %2").arg(name, f.errorString());
        return false;
    }
    *bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1 を読めません: %2").arg(name, f.errorString());
        return false;
    }
    return true;
}

bool RegisterFileStore::save(const std::vector<SealedBlob> &blobs, QString *error)
{
    std::vector<FileContent> files;
    files.reserve(blobs.size());
    for (const SealedBlob &b : blobs)
        files.push_back({b.name, b.bytes.constData(), std::size_t(b.bytes.size())});
    return commitFiles(dir, files, error) == CommitResult::Done;
}

QStringList registerFileNames()
{
    return {QStringLiteral("register.key"), QStringLiteral("register.dat"), QStringLiteral("passport.dat")};
}
