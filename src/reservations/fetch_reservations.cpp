#include "fetch_reservations.h"

#include "online_request.h"
#include "reservation_list.h"
#include "storage/cp932.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <atomic>
#include <optional>
#include <thread>

const QString MissingLoginMessage = QStringLiteral("基本設定のNorvelログインID・パスワードが設定されていません");

std::vector<FetchMessage> FetchReservations(AppData &data, const TLibrary &lib, const QDateTime &listDate,
                                            const FetchOptions &options)
{
    const QByteArray idCode = fieldBytes(data.BaseData.IDCode);
    const QByteArray passwd = fieldBytes(data.BaseData.Passwd);
    if (idCode.isEmpty() || passwd.isEmpty())
        return {{fetch_titles::Error, MissingLoginMessage}};
    const OnlineService service = readOnlineService(data.iniPath());
    if (!service.error.isEmpty())
        return {{fetch_titles::Error, service.error}};
    const QByteArray request = buildFetchRequest(listDate, idCode, passwd, data.Version);

    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::vector<FetchMessage> messages;
    TAnswerParser parser(options.maxBytes);

    QCoreApplication *app = QCoreApplication::instance();
    const bool keepEventsFlowing = app && QThread::currentThread() == app->thread();
    std::optional<QEventLoop> loop;
    if (keepEventsFlowing)
        loop.emplace();
    std::thread worker([&] {
        TOnlineConnection connection(&cancel);
        if (connection.ConnectAndSend(service.host, service.port, request, options.timeouts, messages) > 0)
            connection.receive(parser, options.timeouts, messages);
        connection.close();
        done = true;
        if (loop)
            QMetaObject::invokeMethod(&*loop, [&loop] { loop->quit(); }, Qt::QueuedConnection);
    });
    if (loop && !done)
        loop->exec();
    // The loop also ends when the application quits: then the connection is
    // given up at once. Without a loop the worker is simply waited for.
    const bool cancelled = loop && !done;
    if (cancelled)
        cancel = true;
    worker.join();

    const std::size_t before = data.ReserveList.size();
    std::vector<FetchMessage> ending = applyAnswer(data, parser);
    // The new bills go to disk at once, also when the program is ending.
    if (data.ReserveList.size() != before)
        if (const QString error = storeBillLists(data, lib); !error.isEmpty())
            ending.push_back({fetch_titles::Error, error});
    if (cancelled)
        return {}; // the program is ending: nothing left to tell
    messages.insert(messages.end(), ending.begin(), ending.end());
    return messages;
}
