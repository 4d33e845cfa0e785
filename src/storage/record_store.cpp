#include "record_store.h"

#include "ini_file.h"

#include <QSysInfo>

#include <libpq-fe.h>

namespace {

const QString StoreSection = QStringLiteral("Store");

} // namespace

StoreChoice chooseStore(const QString &iniPath, const QProcessEnvironment &env)
{
    StoreChoice c;
    const IniFile ini(iniPath);
    c.desk = ini.value(StoreSection, QStringLiteral("Desk")).trimmed();
    if (c.desk.isEmpty())
        c.desk = QSysInfo::machineHostName();
    const QString fromEnv = env.value(QLatin1String(DatabaseEnvironment)).trimmed();
    if (!fromEnv.isEmpty()) {
        c.kind = StoreChoice::Kind::PostgreSQL;
        c.connection = fromEnv;
        c.origin = QStringLiteral("環境変数 %1").arg(QLatin1String(DatabaseEnvironment));
        return c;
    }
    const QString kind = ini.value(StoreSection, QStringLiteral("Kind")).trimmed().toLower();
    c.origin = QStringLiteral("norvelreceipt.ini [Store]");
    if (kind.isEmpty() || kind == QLatin1String("files")) {
        if (kind.isEmpty())
            c.origin = QStringLiteral("既定");
        return c;
    }
    if (kind != QLatin1String("postgresql")) {
        c.error = QStringLiteral("norvelreceipt.ini の [Store] Kind=%1 は files か postgresql のどちらかにしてください。").arg(kind);
        return c;
    }
    c.kind = StoreChoice::Kind::PostgreSQL;
    c.connection = ini.value(StoreSection, QStringLiteral("Connection")).trimmed();
    const QString service = ini.value(StoreSection, QStringLiteral("Service")).trimmed();
    if (c.connection.isEmpty() && !service.isEmpty())
        c.connection = QStringLiteral("service=%1").arg(service);
    if (c.connection.isEmpty())
        c.error = QStringLiteral("norvelreceipt.ini の [Store] に Connection（接続文字列）か Service（サービス名）がありません。");
    else if (QString e; connectionForStore(c.connection, &e).isEmpty())
        c.error = e;
    else if (c.connection.contains(QLatin1String("password"), Qt::CaseInsensitive))
        c.error = QStringLiteral("norvelreceipt.ini にパスワードは書けません。~/.pgpass（パスワードファイル）か"
                                 "サービスファイルに置いてください。");
    return c;
}

QString storeRefusalText(const RecordStore &store)
{
    const QString reason = store.readOnlyReason();
    return QStringLiteral("データは保存しませんでした。\n")
        + (reason.isEmpty() ? QStringLiteral("起動時にデータを読み込めなかったため、保存は行いません。") : reason);
}

QString connectionForStore(const QString &connection, QString *error)
{
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(connection.toUtf8().constData(), &message);
    if (!options) {
        *error = QStringLiteral("接続文字列を読めません：%1").arg(QString::fromUtf8(message ? message : "").trimmed());
        PQfreemem(message);
        return {};
    }
    QString host, sslmode, service;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        const QByteArray key(o->keyword);
        const QString value = QString::fromUtf8(o->val ? o->val : "");
        if (key == "host" || key == "hostaddr")
            host += value;
        else if (key == "sslmode")
            sslmode = value;
        else if (key == "service")
            service = value;
    }
    PQconninfoFree(options);
    QString result = connection;
    // A server elsewhere is reached over TLS with its certificate checked;
    // a local socket or this machine needs none. A service file says for itself.
    const bool local = host.isEmpty() || host.startsWith(QLatin1Char('/')) || host == QLatin1String("localhost")
        || host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
    if (!local && sslmode.isEmpty() && service.isEmpty())
        result += QStringLiteral(" sslmode=verify-full");
    return result;
}
