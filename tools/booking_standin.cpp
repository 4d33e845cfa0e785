// A stand-in for the online booking service, for tests and for trying the
// fetch button by hand. It answers the fetch request from a small
// reservations file, in Shift-JIS, for the day the request names, once the
// login values match the ones it was started with.
//
//   booking_standin [--bind ADDRESS] [--port N] [--id ID] [--password PW] [--once] FILE
//
// FILE holds answer lines in UTF-8 ("#" starts a comment):
//   2014/03/21;R001;山田;素泊まり;101;2;1;1601001;大人宿泊料金;8000;2;
// The lines of one reservation number form one reservation; it is answered
// for the day of its first line. A date written "*" is the day asked for,
// "*+1" the day after, and so on, so that a sample works on any day.
// Port 0 picks a free port. The address and port in use are printed on the
// first line of standard output: "listening on 127.0.0.1:8080".

#include "reservations/online_request.h"
#include "storage/cp932.h"

#include <QDate>
#include <QFile>
#include <QUrlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Options {
    QByteArray bind = "127.0.0.1";
    int port = 8080;
    QByteArray id = "norvel";
    QByteArray password = "norvel";
    bool once = false;
    QString file;
};

int usage()
{
    std::fprintf(stderr, "usage: booking_standin [--bind ADDRESS] [--port N] [--id ID] [--password PW] [--once] FILE\n");
    return 2;
}

// A date field of the file, with "*" and "*+N" taken relative to the day asked for.
QString dateField(const QString &field, const QDate &day)
{
    if (!field.startsWith(QLatin1Char('*')))
        return field;
    const int offset = field.size() > 1 ? field.mid(1).toInt() : 0;
    return day.addDays(offset).toString(QStringLiteral("yyyy/MM/dd"));
}

// The answer lines for the day, in file order, in CP932, each ended by LF.
QByteArray dayLines(const QString &path, const QDate &day, int *count)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    std::vector<QStringList> lines;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char(';'));
        if (fields.size() > 1 && fields.last().isEmpty())
            fields.removeLast(); // the ";" after the last field
        if (fields.isEmpty())
            continue;
        fields[0] = dateField(fields[0], day);
        lines.push_back(fields);
    }
    // A reservation is the day's when its first line is.
    std::map<QString, QString> arrival;
    for (const QStringList &fields : lines) {
        const QString no = fields.value(1);
        if (!arrival.count(no))
            arrival[no] = fields[0];
    }
    const QString wanted = day.toString(QStringLiteral("yyyy/MM/dd"));
    QByteArray out;
    *count = 0;
    for (const QStringList &fields : lines) {
        if (arrival[fields.value(1)] != wanted)
            continue;
        out += cp932::encode(fields.join(QLatin1Char(';')) + QLatin1Char(';')) + '\n';
        ++*count;
    }
    return out;
}

// Reads the request up to its empty line (at most 8 KB, 5 seconds).
QByteArray readRequest(int fd)
{
    QByteArray in;
    while (!in.contains("\r\n\r\n") && !in.contains("\n\n") && in.size() < 8192) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        char buf[1024];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        in.append(buf, n);
    }
    return in;
}

void sendAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

void serve(int fd, const Options &o)
{
    const QByteArray request = readRequest(fd);
    const QByteArray first = request.left(request.indexOf('\n')).trimmed();
    const QByteArray prefix = "GET /PalvaneScript/getrsv.php?";
    if (!first.startsWith(prefix) || !first.endsWith(" HTTP/1.0")) {
        std::fprintf(stderr, "not a fetch request: %s\n", first.constData());
        sendAll(fd, "HTTP/1.0 404 Not Found\r\n\r\n");
        return;
    }
    const QUrlQuery query(QString::fromLatin1(first.mid(prefix.size(), first.size() - prefix.size() - 9)));
    auto number = [&](const char *key) { return query.queryItemValue(QLatin1String(key)).toInt(); };
    const QDate day(number("yy"), number("mm"), number("dd"));
    const QDateTime when(day, QTime(number("hh"), number("ii"), number("ss")));
    const bool loginOk = day.isValid() && when.isValid()
                         && query.queryItemValue(QStringLiteral("ai")).toLatin1() == EncodeLogin(o.id, when)
                         && query.queryItemValue(QStringLiteral("ap")).toLatin1() == EncodeLogin(o.password, when);
    if (!loginOk) {
        std::fprintf(stderr, "%s: login refused\n", first.constData());
        sendAll(fd, "HTTP/1.0 403 Forbidden\r\nContent-Type: text/plain\r\n\r\nlogin refused\n");
        return;
    }
    int count = 0;
    const QByteArray lines = dayLines(o.file, day, &count);
    std::fprintf(stderr, "%s: %d lines (version %s)\n", qPrintable(day.toString(QStringLiteral("yyyy/MM/dd"))),
                 count, qPrintable(query.queryItemValue(QStringLiteral("ver"))));
    sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=Shift_JIS\r\n\r\n[" + lines + "]");
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--bind" || a == "--port" || a == "--id" || a == "--password") {
            const char *v = next();
            if (!v)
                return usage();
            if (a == "--bind")
                o.bind = v;
            else if (a == "--port")
                o.port = std::atoi(v);
            else if (a == "--id")
                o.id = v;
            else
                o.password = v;
        } else if (a == "--once") {
            o.once = true;
        } else if (!a.empty() && a[0] != '-' && o.file.isEmpty()) {
            o.file = QString::fromLocal8Bit(a.c_str());
        } else {
            return usage();
        }
    }
    if (o.file.isEmpty() || o.port < 0 || o.port > 65535)
        return usage();
    if (!QFile::exists(o.file)) {
        std::fprintf(stderr, "booking_standin: no such file: %s\n", qPrintable(o.file));
        return 1;
    }

    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(o.port));
    if (::inet_pton(AF_INET, o.bind.constData(), &addr.sin_addr) != 1) {
        std::fprintf(stderr, "booking_standin: not an IPv4 address: %s\n", o.bind.constData());
        return 1;
    }
    if (::bind(server, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(server, 8) != 0) {
        std::fprintf(stderr, "booking_standin: cannot listen on %s:%d: %s\n", o.bind.constData(), o.port,
                     std::strerror(errno));
        return 1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(server, reinterpret_cast<sockaddr *>(&addr), &len);
    std::printf("listening on %s:%d\n", o.bind.constData(), ntohs(addr.sin_port));
    std::fflush(stdout);

    for (;;) {
        const int fd = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        serve(fd, o);
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
        if (o.once)
            return 0;
    }
}
