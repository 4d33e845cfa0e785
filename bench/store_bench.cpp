// The records in PostgreSQL beside the record files, on a local server this
// program starts itself (as the tests do): the import of a data folder, the
// start-up load, one bill's save (its own lines only) and the export.
//
//   store_bench DIR      (DIR holds reserve.dat, e.g. from reserve_gen)
//
// Prints one line of figures in milliseconds; a bill's save is the median of
// 15, each of a different bill.

#include "../tests/storage/pg_server.h"

#include "storage/app_data.h"
#include "storage/library.h"
#include "storage/pg_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

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

    // A bill's save as the bill window leaves it: its lines at the end of the list.
    std::vector<double> saves;
    const size_t n = data.ReserveList.size();
    for (int k = 0; k < 15 && n > 0; ++k) {
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

    t.restart();
    FolderContents out;
    if (!static_cast<PgStore *>(data.Store.get())->exportFolder(&out, &error)) {
        std::fprintf(stderr, "store_bench: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const qint64 exportMs = t.elapsed();
    std::printf("postgresql %zu lines: import %lld ms, start-up %lld ms, bill save %.1f ms (median of %zu), export %lld ms\n",
                n, static_cast<long long>(importMs), static_cast<long long>(startMs),
                saves.empty() ? 0.0 : saves[saves.size() / 2], saves.size(), static_cast<long long>(exportMs));
    return 0;
}
