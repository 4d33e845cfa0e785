#pragma once
// The request of a reservation fetch and the installation's service address.

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The login text as sent: each byte (signed) less a key taken from the minute
// and second, as decimal numbers one after the other.
QByteArray EncodeLogin(const QByteArray &text, const QDateTime &when);

// The whole request: one GET line and an empty line, nothing else.
QByteArray buildFetchRequest(const QDateTime &listDate, const QByteArray &idCode, const QByteArray &passwd,
                             const QString &version);

// Where the booking service answers: section [Online] of norvelreceipt.ini,
// keys Host (a name or a dotted address) and Port (80 when missing).
struct OnlineService {
    QString host;
    quint16 port = 80;
    QString error; // set when the settings cannot be used; the message to show
};
OnlineService readOnlineService(const QString &iniPath);
