// Which store the settings file and the environment choose, and how its
// connection is opened: no password from the settings file, TLS with the
// server's certificate checked for a server elsewhere.

#include "test_dir.h"

#include "storage/record_store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ChoiceCase {
    const char *name;
    const char *ini;         // norvelreceipt.ini text
    const char *environment; // NORVEL_DATABASE, or null
    StoreChoice::Kind kind;
    const char *connection;
    bool error;
};

const ChoiceCase kChoices[] = {
    {"no section: the record files", "[MeisaiForm]\r\nt=1\r\n", nullptr, StoreChoice::Kind::Files, "", false},
    {"files named", "[Store]\r\nKind=files\r\n", nullptr, StoreChoice::Kind::Files, "", false},
    {"a connection string", "[Store]\r\nKind=PostgreSQL\r\nConnection=host=office dbname=norvel\r\n", nullptr,
     StoreChoice::Kind::PostgreSQL, "host=office dbname=norvel", false},
    {"a service", "[store]\r\nkind=postgresql\r\nservice=inn\r\n", nullptr, StoreChoice::Kind::PostgreSQL,
     "service=inn", false},
    {"the environment wins", "[Store]\r\nKind=files\r\n", "dbname=inn", StoreChoice::Kind::PostgreSQL, "dbname=inn",
     false},
    {"a password in the settings file", "[Store]\r\nKind=postgresql\r\nConnection=dbname=n password=x\r\n", nullptr,
     StoreChoice::Kind::PostgreSQL, "dbname=n password=x", true},
    {"nothing to connect to", "[Store]\r\nKind=postgresql\r\n", nullptr, StoreChoice::Kind::PostgreSQL, "", true},
    {"an unknown kind", "[Store]\r\nKind=mysql\r\n", nullptr, StoreChoice::Kind::Files, "", true},
    {"a connection string that does not read", "[Store]\r\nKind=postgresql\r\nConnection=host='office\r\n", nullptr,
     StoreChoice::Kind::PostgreSQL, "host='office", true},
};

TEST(RecordStore, ChoiceFromSettingsAndEnvironment)
{
    for (const ChoiceCase &c : kChoices) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("norvelreceipt.ini")), QByteArray(c.ini));
        QProcessEnvironment env;
        if (c.environment)
            env.insert(QLatin1String(DatabaseEnvironment), QString::fromUtf8(c.environment));
        const StoreChoice choice = chooseStore(dir.filePath(QStringLiteral("norvelreceipt.ini")), env);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.connection, QString::fromUtf8(c.connection));
        EXPECT_EQ(!choice.error.isEmpty(), c.error) << choice.error.toStdString();
        EXPECT_FALSE(choice.desk.isEmpty());
    }
}

TEST(RecordStore, AServerElsewhereIsReachedOverCheckedTls)
{
    const struct {
        const char *given, *opened;
    } cases[] = {
        {"host=office dbname=n", "host=office dbname=n sslmode=verify-full"},
        {"host=office sslmode=require", "host=office sslmode=require"},
        {"host=/run/postgresql dbname=n", "host=/run/postgresql dbname=n"},
        {"host=localhost", "host=localhost"},
        {"dbname=n", "dbname=n"},
        {"service=inn", "service=inn"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.given);
        QString error;
        EXPECT_EQ(connectionForStore(QString::fromUtf8(c.given), &error), QString::fromUtf8(c.opened));
        EXPECT_TRUE(error.isEmpty());
    }
}

} // namespace
