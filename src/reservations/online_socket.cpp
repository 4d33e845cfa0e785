#include "online_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

QString seconds(int ms) { return QString::number(ms / 1000.0, 'g', 4); }

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(std::min<long long>(left, 1 << 30));
}

// Waits for the events until the deadline, in short steps so that a cancel is
// seen soon. 1 when ready, 0 at the deadline or on cancel, -1 on failure.
int waitFor(int fd, short events, Clock::time_point deadline, const std::atomic<bool> *cancel)
{
    for (;;) {
        if (cancel && cancel->load())
            return 0;
        const int left = remainingMs(deadline);
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, std::min(left, 100));
        if (r > 0)
            return 1;
        if (r < 0 && errno != EINTR)
            return -1;
        if (r == 0 && left <= 100)
            return 0;
    }
}

// A numeric IPv4 or IPv6 address, port still 0; false for anything else.
bool numericAddress(const QByteArray &text, sockaddr_storage *ss, socklen_t *length)
{
    *ss = {};
    auto *sin = reinterpret_cast<sockaddr_in *>(ss);
    if (::inet_pton(AF_INET, text.constData(), &sin->sin_addr) == 1) {
        sin->sin_family = AF_INET;
        *length = sizeof(sockaddr_in);
        return true;
    }
    auto *sin6 = reinterpret_cast<sockaddr_in6 *>(ss);
    if (::inet_pton(AF_INET6, text.constData(), &sin6->sin6_addr) == 1) {
        sin6->sin6_family = AF_INET6;
        *length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

} // namespace

std::function<QStringList(const QString &)> TOnlineConnection::LookUpHook;
std::function<bool(int)> TOnlineConnection::RefuseSocketHook;

void TOnlineConnection::close()
{
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
}

qint64 TOnlineConnection::ConnectAndSend(const QString &host, quint16 port, const QByteArray &request,
                                         const OnlineTimeouts &timeouts, std::vector<FetchMessage> &messages)
{
    close();
    const QByteArray name = host.toLatin1();

    // A dotted address is used as it is; a name is looked up.
    std::vector<sockaddr_storage> addresses;
    std::vector<socklen_t> lengths;
    sockaddr_storage numeric{};
    socklen_t numericLength = 0;
    if (LookUpHook) {
        for (const QString &a : LookUpHook(host))
            if (numericAddress(a.toLatin1(), &numeric, &numericLength)) {
                addresses.push_back(numeric);
                lengths.push_back(numericLength);
            }
    } else if (::inet_pton(AF_INET, name.constData(), &reinterpret_cast<sockaddr_in *>(&numeric)->sin_addr) == 1) {
        numericAddress(name, &numeric, &numericLength);
        addresses.push_back(numeric);
        lengths.push_back(numericLength);
    } else {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const int r = ::getaddrinfo(name.constData(), nullptr, &hints, &found);
        if (r != 0) {
            if (r == EAI_NONAME
#ifdef EAI_NODATA
                || r == EAI_NODATA
#endif
            )
                messages.push_back({fetch_titles::Error, host + QStringLiteral("ホストが見つかりません")});
            return 0;
        }
        for (addrinfo *a = found; a; a = a->ai_next) {
            if (a->ai_family != AF_INET && a->ai_family != AF_INET6)
                continue;
            sockaddr_storage ss{};
            std::memcpy(&ss, a->ai_addr, a->ai_addrlen);
            addresses.push_back(ss);
            lengths.push_back(a->ai_addrlen);
        }
        ::freeaddrinfo(found);
    }

    // The addresses in the order given; the first that accepts is kept. One
    // whose socket cannot be made (no IPv6 here, say) is passed over like
    // one that refuses.
    int lastError = ECONNREFUSED;
    bool timedOut = false, triedOne = false;
    for (std::size_t i = 0; i < addresses.size() && Fd < 0; ++i) {
        sockaddr_storage &ss = addresses[i];
        if (ss.ss_family == AF_INET)
            reinterpret_cast<sockaddr_in *>(&ss)->sin_port = htons(port);
        else
            reinterpret_cast<sockaddr_in6 *>(&ss)->sin6_port = htons(port);
        const bool refused = RefuseSocketHook && RefuseSocketHook(ss.ss_family);
        const int fd = refused ? -1 : ::socket(ss.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            continue;
        triedOne = true;
        int err = 0;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&ss), lengths[i]) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                const int w = waitFor(fd, POLLOUT, Clock::now() + std::chrono::milliseconds(timeouts.connectMs), Cancel);
                if (w == 1) {
                    socklen_t len = sizeof err;
                    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                        err = errno;
                } else if (w == 0) {
                    err = ETIMEDOUT;
                    timedOut = true;
                } else {
                    err = errno;
                }
            }
        }
        if (err == 0) {
            Fd = fd;
        } else {
            lastError = err;
            ::close(fd);
        }
    }
    if (Fd < 0 && !triedOne && !addresses.empty()) {
        messages.push_back({fetch_titles::Error, QStringLiteral("ソケット接続失敗")});
        return 0;
    }
    if (Fd < 0) {
        QString text = QStringLiteral("接続エラー") + QString::number(lastError);
        if (timedOut && lastError == ETIMEDOUT)
            text += QStringLiteral("\n%1:%2 に %3 秒以内に接続できませんでした。").arg(host).arg(port).arg(seconds(timeouts.connectMs));
        messages.push_back({fetch_titles::Error, text});
        return 0;
    }

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts.sendMs);
    qint64 sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(Fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        int err = errno;
        if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK || err == EINTR)) {
            const int w = waitFor(Fd, POLLOUT, deadline, Cancel);
            if (w == 1)
                continue;
            err = w == 0 ? ETIMEDOUT : errno;
        }
        QString text = QStringLiteral("送信エラー") + QString::number(err);
        if (err == ETIMEDOUT)
            text += QStringLiteral("\n%1 秒以内に送信できませんでした。").arg(seconds(timeouts.sendMs));
        messages.push_back({fetch_titles::Error, text});
        close();
        return 0;
    }
    return sent;
}

void TOnlineConnection::receive(TAnswerParser &parser, const OnlineTimeouts &timeouts,
                                std::vector<FetchMessage> &messages)
{
    const std::atomic<bool> *cancel = Cancel;
    if (Fd < 0)
        return;
    const auto total = Clock::now() + std::chrono::milliseconds(timeouts.totalMs);
    char buffer[4096];
    while (parser.reading()) {
        const auto quiet = Clock::now() + std::chrono::milliseconds(timeouts.readMs);
        const bool totalFirst = total <= quiet;
        const int w = waitFor(Fd, POLLIN, totalFirst ? total : quiet, cancel);
        if (w == 0) {
            if (cancel && cancel->load())
                return;
            messages.push_back(
                {fetch_titles::Error,
                 (totalFirst ? QStringLiteral("受信が %1 秒を過ぎても終わらないため、受信を打ち切りました。")
                                   .arg(seconds(timeouts.totalMs))
                             : QStringLiteral("サーバーからの応答が %1 秒間なかったため、受信を打ち切りました。")
                                   .arg(seconds(timeouts.readMs)))
                     + QStringLiteral("\nそれまでに最後まで受信した行だけを取り込みました。")});
            return;
        }
        if (w < 0)
            return;
        const ssize_t n = ::recv(Fd, buffer, sizeof buffer, 0);
        if (n == 0)
            return; // the server closed the connection: the end of the answer
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return; // a failed receive ends the answer as its close would
        }
        parser.feed(buffer, qsizetype(n));
    }
}
