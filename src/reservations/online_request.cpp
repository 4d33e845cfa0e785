#include "online_request.h"

#include "storage/ini_file.h"

QByteArray EncodeLogin(const QByteArray &text, const QDateTime &when)
{
    const int m = when.time().minute();
    const int s = when.time().second();
    const int k0 = ((m * s) & 7) + 30;
    const int k1 = (k0 & 7) + 30;
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = static_cast<signed char>(text[i]);
        out += QByteArray::number(byte - (i % 4 == 0 ? k0 : k1));
    }
    return out;
}

QByteArray buildFetchRequest(const QDateTime &listDate, const QByteArray &idCode, const QByteArray &passwd,
                             const QString &version)
{
    const QDate d = listDate.date();
    const QTime t = listDate.time();
    return QStringLiteral("GET /PalvaneScript/getrsv.php?yy=%1&mm=%2&dd=%3&hh=%4&ii=%5&ss=%6&ai=%7&ap=%8&ver=%9"
                          " HTTP/1.0\r\n\r\n")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromLatin1(EncodeLogin(idCode, listDate)), QString::fromLatin1(EncodeLogin(passwd, listDate)),
             version)
        .toLatin1();
}

OnlineService readOnlineService(const QString &iniPath)
{
    const IniFile ini(iniPath);
    OnlineService service;
    service.host = ini.value(QStringLiteral("Online"), QStringLiteral("Host")).trimmed();
    const QString port = ini.value(QStringLiteral("Online"), QStringLiteral("Port")).trimmed();
    if (service.host.isEmpty()) {
        service.error = QStringLiteral("オンライン予約システムの接続先が設定されていません。\n"
                                       "norvelreceipt.ini の [Online] に Host=（サーバー名またはアドレス）を書いてください。");
        return service;
    }
    // The host goes into no request line, but it must be a plain name or address.
    for (QChar c : service.host)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F) {
            service.error = QStringLiteral("norvelreceipt.ini の [Online] Host「%1」はサーバー名として使えません。")
                                .arg(service.host);
            return service;
        }
    if (!port.isEmpty()) {
        bool ok = false;
        const uint p = port.toUInt(&ok);
        if (!ok || p == 0 || p > 65535) {
            service.error = QStringLiteral("norvelreceipt.ini の [Online] Port「%1」はポート番号（1～65535）ではありません。")
                                .arg(port);
            return service;
        }
        service.port = quint16(p);
    }
    return service;
}
