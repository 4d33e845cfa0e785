#pragma once
// The one TCP connection of a reservation fetch: connect, send the request,
// read the answer into the parser. Blocking calls with time-outs, so a server
// that never answers or never stops cannot hold the fetch for ever.

#include "fetch_answer.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

struct OnlineTimeouts {
    int connectMs = 10000;  // per address tried
    int sendMs = 10000;
    int readMs = 20000;     // silence between two receipts
    int totalMs = 120000;   // the whole answer
};

class TOnlineConnection {
public:
    // cancel, when given and set, ends a wait within a tenth of a second
    // without a message.
    explicit TOnlineConnection(const std::atomic<bool> *cancel = nullptr) : Cancel(cancel) {}
    TOnlineConnection(const TOnlineConnection &) = delete;
    TOnlineConnection &operator=(const TOnlineConnection &) = delete;
    ~TOnlineConnection() { close(); }

    // Connects to host:port and sends the request. Returns the number of bytes
    // sent, or 0 after adding the failure's message and closing.
    qint64 ConnectAndSend(const QString &host, quint16 port, const QByteArray &request,
                          const OnlineTimeouts &timeouts, std::vector<FetchMessage> &messages);

    // Reads until the parser stops, the server closes, a receive fails or a
    // time-out runs out (which adds its message).
    void receive(TAnswerParser &parser, const OnlineTimeouts &timeouts, std::vector<FetchMessage> &messages);

    void close();
    bool isOpen() const { return Fd >= 0; }

    // For tests: the numeric addresses a host name stands for, in the order
    // to try, instead of the system's lookup; and a refusal to open the
    // socket of an address family (as a system without IPv6 refuses).
    static std::function<QStringList(const QString &host)> LookUpHook;
    static std::function<bool(int family)> RefuseSocketHook;

private:
    const std::atomic<bool> *Cancel = nullptr;
    int Fd = -1;
};
