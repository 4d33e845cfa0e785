#pragma once
// The fetch of one day's reservations from the online booking service.

#include "fetch_answer.h"
#include "online_socket.h"
#include "storage/library.h"

#include <QDateTime>
#include <vector>

struct FetchOptions {
    OnlineTimeouts timeouts;
    qint64 maxBytes = DefaultMaxAnswerBytes;
};

// Sends the day's request to the service named in norvelreceipt.ini, reads
// the answer and appends the reservations not fetched before to ReserveList,
// each under a bill number of its own (see applyAnswer), and writes the bill
// files at once through lib (storeBillLists). Returns the messages to show,
// in order; an empty list means all went well.
//
// The connection runs on a worker thread. Called on the thread of a running
// Qt application, the call keeps that thread's events flowing until the
// answer is in, so the windows repaint and stay usable meanwhile; the records
// are appended on the calling thread, after the connection has closed. When
// the application quits meanwhile, the connection is given up at once and
// no message is returned.
std::vector<FetchMessage> FetchReservations(AppData &data, const TLibrary &lib, const QDateTime &listDate,
                                            const FetchOptions &options = {});

extern const QString MissingLoginMessage; // 基本設定のNorvelログインID・パスワードが設定されていません
