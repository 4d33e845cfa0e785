// The records in PostgreSQL beside the record files, on a local server this
// program starts itself (as the tests do): the import of a data folder, the
// export of it as files (compared byte for byte with the folder), the
// start-up load, one bill's save (its own lines only) and the month reports
// of the loaded desk.
//
//   store_bench DIR      (DIR holds reserve.dat, e.g. from reserve_gen)
//
// Prints one line of figures in milliseconds; a bill's save is the median of
// 15, each of a different bill. Exits 1 when the export differs.

#include "../tests/storage/pg_server.h"

#include "reports/getuji.h"
#include "reports/item_sales.h"
#include "reports/nyutouzei.h"
#include "reports/receivables.h"
#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/library.h"
#include "storage/pg_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

// Keeps a result from being optimised away.
volatile std::size_t benchmarkSink = 0;
template <class T> void benchmarkKeep(const T &value) { benchmarkSink = benchmarkSink + value.rows.size(); }

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    QString why;
    PgServer *server = PgServer::shared(&why);
    if (!server) {
        std::fprintf(stderr, "store_bench: %s\n", why.toLocal8Bit().constData());
        return 1;
    }
    const QString database = server->newDatabase();
    FolderContents contents;
    QString error, report;
    if (!readFolderContents(QString::fromLocal8Bit(argv[1]), &contents, &error)) {
        std::fprintf(stderr, "store_bench: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QElapsedTimer t;
    t.start();
    {
        PgStore store(database, QStringLiteral("bench"));
        if (!store.importFolder(contents, &report, &error)) {
            std::fprintf(stderr, "store_bench: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    const qint64 importMs = t.elapsed();

    // Out again as --export-files writes it: the same bytes as the folder.
    QTemporaryDir exported;
    const QString source = QString::fromLocal8Bit(argv[1]);
    t.restart();
    {
        PgStore store(database, QStringLiteral("bench"));
        FolderContents out;
        if (!store.exportFolder(&out, &error) || !writeFolderContents(exported.path() + QStringLiteral("/x"), out, &error)) {
            std::fprintf(stderr, "store_bench: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    const qint64 exportMs = t.elapsed();
    const QStringList names = QDir(exported.path() + QStringLiteral("/x")).entryList(QDir::Files);
    bool identical = !names.isEmpty();
    for (const QString &name : names) {
        QFile a(source + QLatin1Char('/') + name), b(exported.path() + QStringLiteral("/x/") + name);
        identical = identical && a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    }

    QTemporaryDir desk;
    AppData data;
    TLibrary lib;
    data.Store = std::make_shared<PgStore>(database, QStringLiteral("bench"));
    t.restart();
    if (const QString m = loadAppData(data, lib, desk.path(), QDateTime::currentDateTime()); !m.isEmpty()) {
        std::fprintf(stderr, "store_bench: %s\n", m.toLocal8Bit().constData());
        return 1;
    }
    const qint64 startMs = t.elapsed();

    // Each month report of the month of the middle line's settlement, the
    // first after start-up (the month index built by it).
    double reportMs[4] = {};
    {
        seedDefaultKamoku(data.KamokuList);
        const size_t mid = data.ReserveList.size() / 2;
        const QString seisan = data.ReserveList.empty() ? QString() : fieldText(data.ReserveList[mid].Seisan);
        const QDate day = QDate::fromString(seisan.left(10), QStringLiteral("yyyy/MM/dd"));
        const ReportMonth month(day.isValid() ? day.year() : 2020, day.isValid() ? day.month() : 1);
        const std::function<void()> reports[4] = {
            [&] { benchmarkKeep(getujiMonth(data, month)); },
            [&] { benchmarkKeep(nyutouzeiMonth(data, month)); },
            [&] { benchmarkKeep(receivablesMonth(data, month)); },
            [&] { benchmarkKeep(itemSalesMonth(data, month, 1)); },
        };
        for (int i = 0; i < 4; ++i) {
            QElapsedTimer r;
            r.start();
            reports[i]();
            reportMs[i] = double(r.nsecsElapsed()) / 1e6;
        }
    }

    // A bill's save as the bill window leaves it: its lines at the end of the list.
    // The list is put in order in memory first, as the bill window does; that
    // pass over every line is the desk's, timed apart from the store's save.
    std::vector<double> saves, arranges;
    const size_t n = data.ReserveList.size();
    for (int k = 0; k < 15 && n > 0; ++k) {
        QElapsedTimer a;
        a.start();
        const uint32_t bill = data.ReserveList[n / 16 * size_t(k)].MeiNo;
        RecordList<TReserveData> &list = data.ReserveList.edit();
        std::vector<TReserveData> mine;
        size_t kept = 0;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].MeiNo == bill)
                mine.push_back(list[i]);
            else
                list[kept++] = list[i];
        list.resize(kept);
        for (TReserveData r : mine) {
            r.Tanka += 1;
            list.push_back(r);
        }
        arranges.push_back(double(a.nsecsElapsed()) / 1e6);
        const std::vector<uint32_t> one{bill};
        QElapsedTimer s;
        s.start();
        if (writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error, {}, &one) != CommitResult::Done) {
            std::fprintf(stderr, "store_bench: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        saves.push_back(double(s.nsecsElapsed()) / 1e6);
    }
    std::sort(saves.begin(), saves.end());
    std::sort(arranges.begin(), arranges.end());

    std::printf("postgresql %zu lines: import %lld ms, export-files %lld ms (%s), start-up %lld ms, "
                "bill save %.1f ms (median of %zu; the list arranged in memory before it %.1f ms), month reports sales %.1f / bathing %.1f / receivables %.1f / "
                "items %.1f ms\n",
                n, static_cast<long long>(importMs), static_cast<long long>(exportMs),
                identical ? "byte-identical" : "DIFFERS", static_cast<long long>(startMs),
                saves.empty() ? 0.0 : saves[saves.size() / 2], saves.size(),
                arranges.empty() ? 0.0 : arranges[arranges.size() / 2], reportMs[0], reportMs[1], reportMs[2],
                reportMs[3]);
    return identical ? 0 : 1;
}
