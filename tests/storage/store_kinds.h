#pragma once
// Tables of cases run against both stores with the same expectations: the
// record files of a temporary folder, and a database of the test's own
// server into which that folder was imported (each time a fresh database).

#include "pg_server.h"

#include "storage/app_data.h"
#include "storage/library.h"
#include "storage/pg_store.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

#include <memory>
#include <string>

enum class StoreKind { Files, Database };

inline std::string storeKindName(const ::testing::TestParamInfo<StoreKind> &info)
{
    return info.param == StoreKind::Files ? "Files" : "Database";
}

// A database of the test's server, or the reason there is none.
inline QString newTestDatabase(QString *why)
{
    PgServer *server = PgServer::shared(why);
    return server ? server->newDatabase() : QString();
}

// Imports the data folder data.ExePath into a new database and loads data
// from it as a start would; lib is the start's. Empty when all went well.
inline QString moveIntoDatabase(AppData &data, TLibrary &lib, const QDateTime &now)
{
    QString error;
    const QString database = newTestDatabase(&error);
    if (database.isEmpty())
        return error;
    FolderContents contents;
    auto store = std::make_shared<PgStore>(database, QStringLiteral("desk"));
    if (!store->connected())
        return store->error();
    if (!readFolderContents(data.ExePath, &contents, &error) || !store->importFolder(contents, nullptr, &error))
        return error;
    data.Store = store;
    return loadAppData(data, lib, data.ExePath, now);
}

// The bytes the store holds for the inn's file name: the file itself, or
// what the database writes for it.
inline QByteArray storedFile(const AppData &data, const QString &name)
{
    auto *database = dynamic_cast<PgStore *>(data.Store.get());
    if (!database) {
        QFile f(data.ExePath + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    FolderContents c;
    QString error;
    EXPECT_TRUE(database->exportFolder(&c, &error)) << error.toStdString();
    if (name == QLatin1String("reserve.dat"))
        return c.reserve;
    if (name == QLatin1String("urikake.dat"))
        return c.urikake;
    if (name == QLatin1String(ReceiptIssuesFileName))
        return c.receipts;
    if (name == QLatin1String("base.dat"))
        return c.base;
    for (int i = 0; i < KamokuCategories; ++i)
        if (name == QLatin1String(KamokuFileNames[size_t(i)]))
            return c.items[size_t(i)];
    ADD_FAILURE() << "no such file in a store: " << name.toStdString();
    return {};
}
