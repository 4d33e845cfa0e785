#include "store_command.h"

#include "pg_store.h"
#include "record_store.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Import = QStringLiteral("--import-files");
const QString Export = QStringLiteral("--export-files");
const QString Check = QStringLiteral("--check-store");

// The database the settings choose; null with *err when there is none.
std::shared_ptr<PgStore> database(const QString &dataDir, const QProcessEnvironment &env, QString *err)
{
    const StoreChoice choice = chooseStore(dataDir + QStringLiteral("/norvelreceipt.ini"), env);
    if (!choice.error.isEmpty()) {
        *err = choice.error;
        return nullptr;
    }
    if (choice.kind != StoreChoice::Kind::PostgreSQL) {
        *err = QStringLiteral("データベースが設定されていません。norvelreceipt.ini の [Store] か環境変数 %1 で指定してください。")
                   .arg(QLatin1String(DatabaseEnvironment));
        return nullptr;
    }
    return std::dynamic_pointer_cast<PgStore>(openStore(choice, err));
}

int checkStore(const QString &dataDir, const QProcessEnvironment &env, QString *out, QString *err)
{
    const StoreChoice choice = chooseStore(dataDir + QStringLiteral("/norvelreceipt.ini"), env);
    if (!choice.error.isEmpty()) {
        *err = choice.error;
        return StoreCommandFailed;
    }
    if (choice.kind == StoreChoice::Kind::Files) {
        const QFileInfo folder(dataDir);
        const bool ok = folder.isDir() && folder.isReadable() && folder.isWritable();
        *out = QStringLiteral("store: record files in %1 (%2)\nanswers: %3")
                   .arg(QDir::toNativeSeparators(dataDir), choice.origin, ok ? QStringLiteral("yes") : QStringLiteral("no"));
        if (!ok)
            *err = QStringLiteral("データフォルダー %1 を読み書きできません。").arg(QDir::toNativeSeparators(dataDir));
        return ok ? StoreCommandOk : StoreCommandFailed;
    }
    QString e;
    const QString connection = connectionForStore(choice.connection, &e);
    if (connection.isEmpty()) {
        *err = e;
        return StoreCommandFailed;
    }
    PgStore store(connection, choice.desk);
    const StoreCheck c = store.check();
    QStringList lines{QStringLiteral("store: PostgreSQL (%1)").arg(choice.origin),
                      QStringLiteral("connection: %1").arg(choice.connection),
                      QStringLiteral("answers: %1").arg(c.answers ? QStringLiteral("yes") : QStringLiteral("no"))};
    if (!c.answers) {
        *out = lines.join(QLatin1Char('\n'));
        *err = c.message.isEmpty() ? store.error() : c.message;
        return StoreCommandFailed;
    }
    lines << QStringLiteral("schema: %1 (current %2)")
                 .arg(c.schemaVersion == 0 ? QStringLiteral("none") : QString::number(c.schemaVersion))
                 .arg(PgSchemaVersion);
    *out = lines.join(QLatin1Char('\n'));
    if (c.schemaVersion == 0) {
        *err = QStringLiteral("データベースにこのプログラムの表がありません。norvel --import-files で読み込んでください。");
        return StoreCommandFailed;
    }
    if (c.schemaVersion != PgSchemaVersion) {
        *err = c.schemaVersion < PgSchemaVersion
            ? QStringLiteral("データベースの形式（版 %1）が今の形式（版 %2）ではありません。norvel を起動すると、更新するかを尋ねます。")
                  .arg(c.schemaVersion)
                  .arg(PgSchemaVersion)
            : QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式（版 %2）より新しいため、使えません。")
                  .arg(c.schemaVersion)
                  .arg(PgSchemaVersion);
        return StoreCommandFailed;
    }
    return StoreCommandOk;
}

} // namespace

bool isStoreCommand(const QStringList &args)
{
    return !args.isEmpty() && (args[0] == Import || args[0] == Export || args[0] == Check);
}

int runStoreCommand(const QStringList &args, const QString &dataDir, const QProcessEnvironment &env, QString *out,
                    QString *err)
{
    if (args[0] == Check) {
        if (args.size() != 1) {
            *err = QStringLiteral("usage: norvel --check-store");
            return StoreCommandUsage;
        }
        return checkStore(dataDir, env, out, err);
    }
    if (args.size() != 2 || args[1].isEmpty()) {
        *err = QStringLiteral("usage: norvel %1 DIR").arg(args[0]);
        return StoreCommandUsage;
    }
    const QString dir = args[1];
    const std::shared_ptr<PgStore> store = database(dataDir, env, err);
    if (!store)
        return StoreCommandFailed;
    FolderContents contents;
    if (args[0] == Import) {
        QString report;
        if (!readFolderContents(dir, &contents, err) || !store->importFolder(contents, &report, err))
            return StoreCommandFailed;
        *out = QStringLiteral("%1 から %2 に読み込みました。\n%3")
                   .arg(QDir::toNativeSeparators(dir), store->describe(), report);
        return StoreCommandOk;
    }
    // The files store's own folder is never overwritten from the database.
    if (QFileInfo::exists(dir + QStringLiteral("/reserve.dat")) || QFileInfo::exists(dir + QStringLiteral("/base.dat"))) {
        *err = QStringLiteral("%1 にはすでにデータがあります。空のフォルダーを指定してください。").arg(QDir::toNativeSeparators(dir));
        return StoreCommandFailed;
    }
    if (!store->exportFolder(&contents, err) || !writeFolderContents(dir, contents, err))
        return StoreCommandFailed;
    *out = QStringLiteral("%1 を %2 に書き出しました。").arg(store->describe(), QDir::toNativeSeparators(dir));
    return StoreCommandOk;
}
