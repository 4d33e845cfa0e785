// The whole fetch over real sockets on 127.0.0.1: against the stand-in
// booking service, and against servers that refuse, stay silent, never stop,
// break off or send garbage. Each ends with its message within its time-out,
// keeps only what arrived complete, and leaves the next fetch working.

#include "reservations/fetch_reservations.h"
#include "reservations/online_request.h"
#include "reservations/online_socket.h"
#include "storage/cp932.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <sys/wait.h>
#include <chrono>
#include <functional>
#include <thread>

namespace {

const QDateTime kListDate(QDate(2014, 3, 21), QTime(9, 5, 3));
constexpr uint32_t kMeiNo = 1395370000;
const QByteArray kHeader = "HTTP/1.0 200 OK\r\n\r\n";
const QString kR001 = QStringLiteral("2014/03/21;R001;山田;素泊まり;101;2;1;1601001;大人宿泊料金;8000;2;1601102;ビール;800;1;\n");
const QString kR002 = QStringLiteral("2014/03/21;R002;鈴木;朝食付;102;1;1;1601001;大人;9000;1;\n");

QByteArray sj(const QString &s) { return cp932::encode(s); }

// Short time-outs, so that every misbehaving server is given up quickly.
FetchOptions quickOptions()
{
    FetchOptions o;
    o.timeouts.connectMs = 500;
    o.timeouts.sendMs = 500;
    o.timeouts.readMs = 400;
    o.timeouts.totalMs = 1500;
    o.maxBytes = 64 * 1024;
    return o;
}

// A one-connection server on 127.0.0.1 that does what it is told, on its own thread.
class FakeServer {
public:
    using Behaviour = std::function<void(int fd, const std::atomic<bool> &stop)>;
    explicit FakeServer(Behaviour behaviour, int backlog = 4)
    {
        Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Listener, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(Listener, backlog);
        socklen_t len = sizeof a;
        ::getsockname(Listener, reinterpret_cast<sockaddr *>(&a), &len);
        Port = ntohs(a.sin_port);
        if (behaviour)
            Thread = std::thread([this, behaviour] {
                pollfd p{Listener, POLLIN, 0};
                while (!Stop && ::poll(&p, 1, 50) == 0) {
                }
                if (Stop)
                    return;
                const int fd = ::accept(Listener, nullptr, nullptr);
                Request = readRequest(fd);
                behaviour(fd, Stop);
                ::close(fd);
            });
    }
    ~FakeServer()
    {
        Stop = true;
        if (Thread.joinable())
            Thread.join();
        ::close(Listener);
    }
    quint16 port() const { return Port; }
    // The request as it arrived, once the server is done.
    QByteArray request()
    {
        Stop = true;
        if (Thread.joinable())
            Thread.join();
        return Request;
    }

    static void sendBytes(int fd, const QByteArray &b) { ::send(fd, b.constData(), size_t(b.size()), MSG_NOSIGNAL); }
    static void holdUntilStopped(const std::atomic<bool> &stop)
    {
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

private:
    static QByteArray readRequest(int fd)
    {
        QByteArray in;
        while (!in.endsWith("\r\n\r\n")) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                break;
            char c;
            if (::recv(fd, &c, 1, 0) != 1)
                break;
            in.append(c);
        }
        return in;
    }

    int Listener = -1;
    quint16 Port = 0;
    std::atomic<bool> Stop{false};
    std::thread Thread;
    QByteArray Request;
};

// A program directory whose settings point the fetch at a port of 127.0.0.1.
struct Desk {
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;
    Desk(const QByteArray &id = "abc", const QByteArray &password = "pw")
    {
        data.ExePath = dir.path() + QLatin1Char('/');
        data.Version = QStringLiteral("1.0.4.0");
        data.NextMeiNo = kMeiNo;
        setFieldBytes(data.BaseData.IDCode, id);
        setFieldBytes(data.BaseData.Passwd, password);
    }
    void pointAt(const QString &host, int port)
    {
        QFile f(data.iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringLiteral("[MainForm]\r\nt=0\r\n[Online]\r\nHost=%1\r\nPort=%2\r\n").arg(host).arg(port).toLatin1());
    }
    // One fetch; how long it took goes to elapsedMs.
    std::vector<FetchMessage> fetch(const FetchOptions &o = quickOptions())
    {
        const auto start = std::chrono::steady_clock::now();
        auto m = FetchReservations(data, lib, kListDate, o);
        elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        return m;
    }
    long long elapsedMs = 0;
};

const FetchMessage kNoData{QStringLiteral("メッセージ"), QStringLiteral("受信データはありませんでした")};

// The stand-in booking service, started on a free port for one test.
class StandIn {
public:
    explicit StandIn(const QString &reservations)
    {
        file = dir.filePath("reservations.txt");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(reservations.toUtf8());
        f.close();
        process.start(QStringLiteral(NORVEL_BINARY_DIR "/bin/booking_standin"),
                      {"--port", "0", "--id", "abc", "--password", "pw", file});
        if (process.waitForReadyRead(10000))
            port = process.readLine().trimmed().split(':').last().toInt();
    }
    ~StandIn()
    {
        process.kill();
        process.waitForFinished();
    }
    QTemporaryDir dir;
    QString file;
    QProcess process;
    int port = 0;
};

TEST(FetchOverSockets, StandInServiceGivesTheDaysReservationsOnce)
{
    StandIn service(QStringLiteral("# two reservations on the 21st, one on the 22nd\n") + kR001 + kR002
                    + QStringLiteral("2014/03/22;R003;後日;p;1;1;1;1601001;x;1;1;\n"));
    ASSERT_GT(service.port, 0) << service.process.readAllStandardError().toStdString();
    Desk desk;
    desk.pointAt(QStringLiteral("127.0.0.1"), service.port);
    EXPECT_TRUE(desk.fetch().empty());
    ASSERT_EQ(desk.data.ReserveList.size(), 3u);
    EXPECT_EQ(fieldText(desk.data.ReserveList[0].Name), QStringLiteral("山田"));
    EXPECT_EQ(desk.data.ReserveList[2].MeiNo, kMeiNo + 1);
    EXPECT_EQ(desk.data.NextMeiNo, kMeiNo + 2);

    // Again: nothing new, nothing said.
    EXPECT_TRUE(desk.fetch().empty());
    EXPECT_EQ(desk.data.ReserveList.size(), 3u);

    // By name rather than address.
    Desk byName;
    byName.pointAt(QStringLiteral("localhost"), service.port);
    byName.fetch();
    EXPECT_EQ(byName.data.ReserveList.size(), 3u);
}

TEST(FetchOverSockets, StandInRefusesAWrongLogin)
{
    StandIn service(kR001);
    ASSERT_GT(service.port, 0);
    Desk desk("abc", "wrong");
    desk.pointAt(QStringLiteral("127.0.0.1"), service.port);
    EXPECT_EQ(desk.fetch(), std::vector<FetchMessage>{kNoData});
    EXPECT_TRUE(desk.data.ReserveList.empty());
}

TEST(FetchOverSockets, RequestArrivesByteForByte)
{
    FakeServer server([](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, kHeader + "[]"); });
    Desk desk;
    desk.pointAt(QStringLiteral("127.0.0.1"), server.port());
    desk.fetch();
    EXPECT_EQ(server.request(),
              "GET /PalvaneScript/getrsv.php?yy=2014&mm=03&dd=21&hh=09&ii=05&ss=03&ai=606364&ap=7584&ver=1.0.4.0"
              " HTTP/1.0\r\n\r\n");
}

TEST(FetchOverSockets, NothingIsSentWithoutLoginOrService)
{
    Desk noLogin("", "pw");
    noLogin.pointAt(QStringLiteral("127.0.0.1"), 9);
    EXPECT_EQ(noLogin.fetch(), (std::vector<FetchMessage>{
                                   {QStringLiteral("エラー"), QStringLiteral("基本設定のNorvelログインID・パスワードが設定されていません")}}));
    Desk noService; // no settings file
    const auto m = noService.fetch();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].title, QStringLiteral("エラー"));
    EXPECT_TRUE(m[0].text.contains(QStringLiteral("[Online]")));
    EXPECT_EQ(noService.data.NextMeiNo, kMeiNo);
}

TEST(FetchOverSockets, ConnectionFailuresSayWhyThenThatNothingCame)
{
    {
        // A port nobody listens on.
        int port;
        {
            FakeServer closed(nullptr);
            port = closed.port();
        }
        Desk desk;
        desk.pointAt(QStringLiteral("127.0.0.1"), port);
        EXPECT_EQ(desk.fetch(), (std::vector<FetchMessage>{{QStringLiteral("エラー"), QStringLiteral("接続エラー111")}, kNoData}));
    }
    {
        // A name that does not exist (".invalid" never resolves).
        Desk desk;
        desk.pointAt(QStringLiteral("no-such-host.invalid"), 80);
        const auto m = desk.fetch();
        ASSERT_FALSE(m.empty());
        EXPECT_EQ(m.back(), kNoData);
        if (m.size() == 2) { // without a resolver at all, the lookup fails otherwise and says nothing
            EXPECT_EQ(m[0], (FetchMessage{QStringLiteral("エラー"), QStringLiteral("no-such-host.invalidホストが見つかりません")}));
        }
        EXPECT_LE(m.size(), 2u);
    }
    {
        // A listener whose queue is full never completes the connection.
        FakeServer full(nullptr, 0);
        const int first = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(full.port());
        ::connect(first, reinterpret_cast<sockaddr *>(&a), sizeof a);
        Desk desk;
        desk.pointAt(QStringLiteral("127.0.0.1"), full.port());
        const auto m = desk.fetch();
        ::close(first);
        ASSERT_EQ(m.size(), 2u);
        // Either the queue held (time-out) or the system let a second one in and the read timed out.
        EXPECT_TRUE(m[0].text.startsWith(QStringLiteral("接続エラー110")) || m[0].text.contains(QStringLiteral("0.4 秒")))
            << m[0].text.toStdString();
        EXPECT_EQ(m[1], kNoData);
        EXPECT_LT(desk.elapsedMs, 5000);
    }
}

// A host with several addresses: one whose socket cannot be made (IPv6 on a
// system without it) or that refuses is passed over for the next.
TEST(FetchOverSockets, EveryAddressOfTheHostIsTried)
{
    struct Reset {
        ~Reset()
        {
            TOnlineConnection::LookUpHook = {};
            TOnlineConnection::RefuseSocketHook = {};
        }
    } reset;
    TOnlineConnection::LookUpHook = [](const QString &) { return QStringList{"::1", "127.0.0.1"}; };
    TOnlineConnection::RefuseSocketHook = [](int family) { return family == AF_INET6; };
    {
        FakeServer server([](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, kHeader + "[]"); });
        Desk desk;
        desk.pointAt(QStringLiteral("inn.example"), server.port());
        EXPECT_EQ(desk.fetch(), std::vector<FetchMessage>{kNoData});
        EXPECT_TRUE(server.request().startsWith("GET "));
    }
    {
        // No socket for any of them.
        TOnlineConnection::LookUpHook = [](const QString &) { return QStringList{"::1", "::2"}; };
        Desk desk;
        desk.pointAt(QStringLiteral("inn.example"), 80);
        EXPECT_EQ(desk.fetch(), (std::vector<FetchMessage>{{QStringLiteral("エラー"), QStringLiteral("ソケット接続失敗")}, kNoData}));
    }
    {
        // The last one refuses: its error is the one named.
        int port;
        {
            FakeServer closed(nullptr);
            port = closed.port();
        }
        TOnlineConnection::LookUpHook = [](const QString &) { return QStringList{"::1", "127.0.0.1"}; };
        Desk desk;
        desk.pointAt(QStringLiteral("inn.example"), port);
        EXPECT_EQ(desk.fetch(), (std::vector<FetchMessage>{{QStringLiteral("エラー"), QStringLiteral("接続エラー111")}, kNoData}));
    }
}

// What a misbehaving server does after the request, and what the fetch must end with.
struct Misbehaviour {
    const char *name;
    FakeServer::Behaviour behaviour;
    std::size_t records;          // appended
    QString firstMessage;         // a text the first message contains; empty for no message at all
    bool noData;                  // the no-data message comes last
};

TEST(FetchOverSockets, MisbehavingServersEndWithinTheirTimeOuts)
{
    const QByteArray good = kHeader + "[" + sj(kR001);
    const Misbehaviour cases[] = {
        {"silent", [](int, const std::atomic<bool> &stop) { FakeServer::holdUntilStopped(stop); },
         0, QStringLiteral("0.4 秒間なかった"), true},
        {"one line then silent",
         [&](int fd, const std::atomic<bool> &stop) {
             FakeServer::sendBytes(fd, good + sj(QStringLiteral("2014/03/21;R002;途")));
             FakeServer::holdUntilStopped(stop);
         },
         2, QStringLiteral("0.4 秒間なかった"), false},
        {"dribbles without end",
         [&](int fd, const std::atomic<bool> &stop) {
             FakeServer::sendBytes(fd, good);
             while (!stop) {
                 FakeServer::sendBytes(fd, "x");
                 std::this_thread::sleep_for(std::chrono::milliseconds(50));
             }
         },
         0 /* R001 may have had another night to come */, QStringLiteral("1.5 秒を過ぎても"), false},
        {"floods without end",
         [&](int fd, const std::atomic<bool> &stop) {
             FakeServer::sendBytes(fd, kHeader + "[");
             const QByteArray line = sj(kR002);
             while (!stop && ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) > 0) {
             }
         },
         0 /* one reservation repeated beyond any stay, and cut off */, QStringLiteral("65536 バイト"), false},
        {"closes mid-line",
         [&](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, good + sj(QStringLiteral("2014/03/21;R002;鈴"))); },
         2, QStringLiteral("予約 R002"), false},
        {"resets mid-line",
         [&](int fd, const std::atomic<bool> &) {
             FakeServer::sendBytes(fd, good + "2014/03/21;R0");
             linger l{1, 0};
             ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
         },
         0 /* not even R002's number arrived: R001 may go on */, QStringLiteral("予約 R001"), false},
        {"garbage",
         [](int fd, const std::atomic<bool> &) {
             QByteArray g;
             uint32_t x = 12345;
             for (int i = 0; i < 20000; ++i) {
                 x = x * 1103515245 + 12345;
                 g.append(char(x >> 16));
             }
             FakeServer::sendBytes(fd, g);
         },
         std::size_t(-1) /* whatever complete lines there were */, QString(), false},
        {"overlong fields",
         [](int fd, const std::atomic<bool> &) {
             FakeServer::sendBytes(fd, kHeader + "[2014/03/21;R0000000000000042;" + QByteArray(20000, 'N') + ";p;r;1;1;1601001;"
                                           + QByteArray(30000, 'K') + ";1;1;\n]");
         },
         1, QStringLiteral("収まらない"), false},
        {"a number that is none",
         [&](int fd, const std::atomic<bool> &stop) {
             FakeServer::sendBytes(fd, good + sj(QStringLiteral("2014/03/21;R002;鈴木;p;1;1;1;1601001;x;9千;1;\n")));
             FakeServer::holdUntilStopped(stop); // the fetch closes without waiting for more
         },
         2, QStringLiteral("「9千」"), false},
    };
    for (const Misbehaviour &c : cases) {
        SCOPED_TRACE(c.name);
        FakeServer server(c.behaviour);
        Desk desk;
        desk.pointAt(QStringLiteral("127.0.0.1"), server.port());
        const auto m = desk.fetch();
        EXPECT_LT(desk.elapsedMs, 5000); // every limit above is well under this
        if (c.records != std::size_t(-1)) {
            EXPECT_EQ(desk.data.ReserveList.size(), c.records);
        }
        for (const TReserveData &r : desk.data.ReserveList)
            EXPECT_TRUE(std::memchr(r.Name, 0, sizeof r.Name) && std::memchr(r.Kamoku, 0, sizeof r.Kamoku));
        if (c.firstMessage.isEmpty() && !c.noData && c.records != std::size_t(-1)) {
            EXPECT_TRUE(m.empty()) << m[0].text.toStdString();
        } else if (!c.firstMessage.isEmpty()) {
            ASSERT_FALSE(m.empty());
            EXPECT_TRUE(m[0].text.contains(c.firstMessage)) << m[0].text.toStdString();
        }
        if (c.noData) {
            EXPECT_EQ(m.back(), kNoData);
        }
        // Every bill number handed out lies below the next one.
        for (const TReserveData &r : desk.data.ReserveList)
            EXPECT_LT(r.MeiNo, desk.data.NextMeiNo);
        server.request();

        // And the desk works as before: the next fetch from a sound server succeeds.
        FakeServer sound([](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, kHeader + "[" + sj(kR002) + "]"); });
        desk.pointAt(QStringLiteral("127.0.0.1"), sound.port());
        const std::size_t before = desk.data.ReserveList.size();
        desk.fetch();
        EXPECT_EQ(desk.data.ReserveList.size(), before + 1);
    }
}

// R010 stays two nights: one answer line per night.
const QString kR010 = QStringLiteral("2014/03/21;R010;森;二泊;201;2;1;1601001;大人;9800;2;\n"
                                     "2014/03/22;R010;森;二泊;201;2;2;1601001;大人;9800;2;\n");

TEST(FetchOverSockets, AReservationCutBetweenItsNightsComesWholeWithTheNextFetch)
{
    const QByteArray night1 = kHeader + "[" + sj(kR001) + sj(kR010).left(sj(kR010).indexOf('\n') + 1);
    struct Case {
        const char *name;
        FakeServer::Behaviour behaviour;
        QString firstMessage;
    } cases[] = {
        {"the service closes the connection",
         [&](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, night1); }, QStringLiteral("予約 R010（森様）")},
        {"a number that cannot be read",
         [&](int fd, const std::atomic<bool> &) {
             FakeServer::sendBytes(fd, night1 + sj(QStringLiteral("2014/03/22;R010;森;二泊;201;2;2;1601001;大人;9８00;2;\n]")));
         },
         QStringLiteral("「9８00」")},
        {"a time-out",
         [&](int fd, const std::atomic<bool> &stop) {
             FakeServer::sendBytes(fd, night1);
             FakeServer::holdUntilStopped(stop);
         },
         QStringLiteral("0.4 秒間なかった")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Desk desk;
        {
            FakeServer server(c.behaviour);
            desk.pointAt(QStringLiteral("127.0.0.1"), server.port());
            const auto m = desk.fetch();
            ASSERT_FALSE(m.empty());
            EXPECT_TRUE(m[0].text.contains(c.firstMessage)) << m[0].text.toStdString();
            bool named = false;
            for (const FetchMessage &x : m)
                named = named || x.text.contains(QStringLiteral("予約 R010（森様）"));
            EXPECT_TRUE(named);
            server.request();
        }
        // R001 only, in memory and on disk: no half of R010.
        ASSERT_EQ(desk.data.ReserveList.size(), 2u);
        EXPECT_EQ(fieldBytes(desk.data.ReserveList[1].Regday), "R001");
        QFile stored(desk.data.filePath("reserve.dat"));
        ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
        EXPECT_EQ(stored.size(), qint64(2 * sizeof(TReserveData)));

        // Served whole: both nights of R010, one bill.
        FakeServer whole([](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, kHeader + "[" + sj(kR001 + kR010) + "]"); });
        desk.pointAt(QStringLiteral("127.0.0.1"), whole.port());
        EXPECT_TRUE(desk.fetch().empty());
        ASSERT_EQ(desk.data.ReserveList.size(), 4u);
        EXPECT_EQ(fieldBytes(desk.data.ReserveList[3].Rsvday), "2014/03/22");
        EXPECT_EQ(desk.data.ReserveList[3].MeiNo, desk.data.ReserveList[2].MeiNo);
        EXPECT_EQ(desk.data.ReserveList[3].Tanka * desk.data.ReserveList[3].Suryou, 19600);
    }
}

// Killed (kill -9) right after a fetch: the next start finds the fetched bills.
TEST(FetchOverSockets, FetchedBillsSurviveAKillRightAfterTheFetch)
{
    QTemporaryDir dir;
    const QDateTime now(QDate(2014, 3, 21), QTime(10, 0));
    {
        AppData data;
        TLibrary lib;
        ASSERT_TRUE(loadAppData(data, lib, dir.path(), now).isEmpty());
    }
    FakeServer server([](int fd, const std::atomic<bool> &) { FakeServer::sendBytes(fd, kHeader + "[" + sj(kR001 + kR010) + "]"); });
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        AppData data;
        TLibrary lib;
        loadAppData(data, lib, dir.path(), now);
        setFieldBytes(data.BaseData.IDCode, "abc");
        setFieldBytes(data.BaseData.Passwd, "pw");
        QFile ini(data.iniPath());
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[Online]\r\nHost=127.0.0.1\r\nPort=%1\r\n").arg(server.port()).toLatin1());
        ini.close();
        FetchReservations(data, lib, kListDate, quickOptions());
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    AppData data;
    TLibrary lib;
    ASSERT_TRUE(loadAppData(data, lib, dir.path(), now).isEmpty());
    ASSERT_EQ(data.ReserveList.size(), 4u);
    EXPECT_EQ(fieldBytes(data.ReserveList[0].Regday), "R001");
    EXPECT_EQ(fieldBytes(data.ReserveList[3].Regday), "R010");
}

} // namespace
