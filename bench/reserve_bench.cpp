// Start-up load and whole-file save of the reservation list, on a program
// directory that holds a reserve.dat (made by reserve_gen):
//
//   reserve_bench --data_dir=DIR --benchmark_repetitions=15 [benchmark flags]
//
// BM_LoadReserveList is start-up's reading of reserve.dat into ReserveList,
// BM_StartUp the whole start-up load (loadAppData), BM_SaveReserveList the
// rewrite of reserve.dat in DIR that every saved bill makes (with the backup
// generation it keeps; BM_SaveWithoutGeneration the same without one), BM_RefreshDay the
// reservation list's refresh of one day (the day of the middle record): its
// rows picked from ReserveList and their cell texts, BM_IndexRebuild the
// rebuild of ReserveList's date index after a change. Each iteration times
// only the call.

#include "data_dir_main.h"
#include "billing/bill_storage.h"
#include "reservations/reservation_list.h"
#include "storage/app_data.h"
#include "storage/commit_keeper.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>

#include <chrono>
#include <malloc.h>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

QString dataDir;
// The clock is fixed so that every run starts from the same bill number.
const QDateTime startTime(QDate(2026, 12, 10), QTime(9, 0), QTimeZone(32400));

double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Start-up's reading of reserve.dat into ReserveList, as loadAppData does it
// (its loadList): count the records, size the list, read them into it.
size_t loadReserveList(RecordList<TReserveData> &list, const TLibrary &lib, const QString &path)
{
    const int n = lib.RecordCount(path, sizeof(TReserveData));
    list.clear();
    resizeForOverwrite(list, size_t(n));
    const int got = n > 0 ? lib.ReadRecords(list.data(), sizeof(TReserveData), path, n) : 0;
    if (list.size() > size_t(got))
        std::memset(static_cast<void *>(list.data() + got), 0, (list.size() - size_t(got)) * sizeof(TReserveData));
    return size_t(got);
}

void BM_LoadReserveList(benchmark::State &state)
{
    const QString path = dataDir + QStringLiteral("/reserve.dat");
    size_t records = 0;
    // One untimed load before each timed one makes every sample a warm run, as
    // cat's are: on a virtual machine the first touch of memory freed a while
    // ago can cost the host's time too (tens of milliseconds), which has
    // nothing to do with how the list is loaded.
    {
        RecordList<TReserveData> list;
        loadReserveList(list, TLibrary(), path);
    }
    for (auto _ : state) {
        // A fresh process's list: nothing allocated yet.
        auto list = std::make_unique<RecordList<TReserveData>>();
        TLibrary lib;
        const auto t0 = std::chrono::steady_clock::now();
        records = loadReserveList(*list, lib, path);
        benchmark::DoNotOptimize(list->data());
        state.SetIterationTime(secondsSince(t0));
        if (records == 0) {
            state.SkipWithError("no reserve.dat in --data_dir");
            return;
        }
    }
    state.counters["records"] = double(records);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(records * sizeof(TReserveData)));
}

// The whole start-up load (loadAppData) on a directory that holds only
// reserve.dat: the same read, and the look for the largest bill number.
void BM_StartUp(benchmark::State &state)
{
    size_t records = 0;
    { // warm run, as above
        AppData data;
        TLibrary lib;
        loadAppData(data, lib, dataDir, startTime);
    }
    for (auto _ : state) {
        auto data = std::make_unique<AppData>();
        TLibrary lib;
        const auto t0 = std::chrono::steady_clock::now();
        const QString message = loadAppData(*data, lib, dataDir, startTime);
        benchmark::DoNotOptimize(data->ReserveList.data());
        state.SetIterationTime(secondsSince(t0));
        if (!message.isEmpty() || data->ReserveList.empty()) {
            state.SkipWithError("no reserve.dat loaded from --data_dir");
            return;
        }
        records = data->ReserveList.size();
    }
    state.counters["records"] = double(records);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(records * sizeof(TReserveData)));
}

// Start-up's load of --data_dir, before a benchmark of what follows it.
bool loadForBenchmark(benchmark::State &state, AppData &data, TLibrary &lib)
{
    if (!loadAppData(data, lib, dataDir, startTime).isEmpty() || data.ReserveList.empty()) {
        state.SkipWithError("no reserve.dat loaded from --data_dir");
        return false;
    }
    return true;
}

void BM_SaveReserveList(benchmark::State &state)
{
    AppData data;
    TLibrary lib;
    if (!loadForBenchmark(state, data, lib))
        return;
    for (auto _ : state) {
        QString error;
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = saveBillLists(data, lib, &error);
        state.SetIterationTime(secondsSince(t0));
        if (!ok) {
            state.SkipWithError(error.toLocal8Bit().constData());
            return;
        }
    }
    state.counters["records"] = double(data.ReserveList.size());
    state.SetBytesProcessed(int64_t(state.iterations())
                            * int64_t(data.ReserveList.size() * sizeof(TReserveData)));
}

// The same save without keeping the files as they were as a backup
// generation: what a save cost before generations, for the ratio.
void BM_SaveWithoutGeneration(benchmark::State &state)
{
    AppData data;
    TLibrary lib;
    if (!loadForBenchmark(state, data, lib))
        return;
    setCommitKeeper(data.ExePath, {});
    for (auto _ : state) {
        QString error;
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = saveBillLists(data, lib, &error);
        state.SetIterationTime(secondsSince(t0));
        if (!ok) {
            state.SkipWithError(error.toLocal8Bit().constData());
            return;
        }
    }
    state.counters["records"] = double(data.ReserveList.size());
}

void BM_RefreshDay(benchmark::State &state)
{
    AppData data;
    TLibrary lib;
    if (!loadForBenchmark(state, data, lib))
        return;
    const TReserveData &middle = data.ReserveList[data.ReserveList.size() / 2];
    const FieldDate date = fieldDate(middle.Rsvday);
    const QDate day(date.year, date.month, date.day);
    // The window keeps its row list between refreshes; so does this loop.
    std::vector<size_t> rows;
    std::vector<QStringList> cells;
    collectDayRows(data.ReserveList, day, rows); // warm run
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        collectDayRows(data.ReserveList, day, rows);
        cells.clear();
        for (size_t i : rows)
            cells.push_back(rsvListCells(data.ReserveList[i]));
        benchmark::DoNotOptimize(cells.data());
        state.SetIterationTime(secondsSince(t0));
    }
    if (rows.empty())
        state.SkipWithError("the middle record's day lists no bill");
    state.counters["records"] = double(data.ReserveList.size());
    state.counters["rows"] = double(rows.size());
}

// The date index's rebuild, which the first refresh or month report after
// the lines changed in place (a saved or deleted bill, a room split) pays on
// top of its own time. A line added at the end joins the index without one.
void BM_IndexRebuild(benchmark::State &state)
{
    AppData data;
    TLibrary lib;
    if (!loadForBenchmark(state, data, lib))
        return;
    data.ReserveList.lineDates(); // warm run
    for (auto _ : state) {
        data.ReserveList.edit(); // counts as a change, as after a save
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(&data.ReserveList.lineDates());
        state.SetIterationTime(secondsSince(t0));
    }
    state.counters["records"] = double(data.ReserveList.size());
}

// Opening the bill of the middle line in the bill window: its lines,
// selectors and totals from ReserveList.
void BM_OpenBill(benchmark::State &state)
{
    AppData data;
    TLibrary lib;
    if (!loadForBenchmark(state, data, lib))
        return;
    const uint32_t billNo = data.ReserveList[data.ReserveList.size() / 2].MeiNo;
    for (auto _ : state) {
        auto bill = std::make_unique<TBillState>();
        const auto t0 = std::chrono::steady_clock::now();
        OpenBill(*bill, data, billNo);
        benchmark::DoNotOptimize(bill->Lines.data());
        state.SetIterationTime(secondsSince(t0));
        if (bill->Lines.empty()) {
            state.SkipWithError("the middle line's bill opened without lines");
            return;
        }
    }
    state.counters["records"] = double(data.ReserveList.size());
}

// One call per repetition: a run that lands on a bad moment of a shared
// machine spoils one sample, which the median of the repetitions drops,
// instead of every mean it falls into.
BENCHMARK(BM_LoadReserveList)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveReserveList)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveWithoutGeneration)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshDay)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexRebuild)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenBill)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Every load should start from fresh memory as in a new process; left to
    // itself malloc would keep freed blocks of earlier iterations for reuse.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    return runOnDataDir(argc, argv, dataDir);
}
