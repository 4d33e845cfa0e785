// Finding bills by name as the clerk types, on a program directory that
// holds a reserve.dat (made by reserve_gen):
//
//   find_bench --data_dir=DIR --benchmark_repetitions=15 [benchmark flags]
//
// BM_FindKeystroke types the name of the middle line's bill one character
// at a time, finding after each; its time is the slowest keystroke (the
// first, which matches the most bills, mostly). BM_FindKeystrokeDistinct
// does the same after every bill was given a name of its own (the
// generator's guests share a few hundred names; a real inn's hardly repeat).
// cpu_ms is the slowest keystroke's processor time, the figure that does not
// depend on what else the machine runs. BM_BillIndexRebuild is the rebuild of the bill index that the first search
// after a change in place pays. The counters give the index's memory (MB)
// and the bills found by the first keystroke.

#include "data_dir_main.h"
#include "search/bill_search.h"
#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/reserve_records.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

QString dataDir;
const QDateTime startTime(QDate(2026, 12, 10), QTime(9, 0), QTimeZone(32400));

double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The processor time of this thread: on a machine shared with others the
// wall time of a short step is mostly the wait for a processor.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool load(benchmark::State &state, AppData &data)
{
    TLibrary lib;
    if (!loadAppData(data, lib, dataDir, startTime).isEmpty() || data.ReserveList.empty()) {
        state.SkipWithError("no reserve.dat loaded from --data_dir");
        return false;
    }
    return true;
}

// Every bill a name of its own: its name with the bill number's digits as
// full-width digits after it (a name, not a number, to the search).
void distinctNames(AppData &data)
{
    for (TReserveData &line : data.ReserveList.edit()) {
        QString name = fieldText(line.Name);
        for (const QChar c : QString::number(line.MeiNo % 1000000))
            name += QChar(0xFF10 + (c.unicode() - '0'));
        setFieldText(line.Name, name);
    }
}

void typeName(benchmark::State &state, AppData &data)
{
    const QString name = fieldText(data.ReserveList[data.ReserveList.size() / 2].Name);
    (void)data.ReserveList.bills(); // built as the window opens
    std::size_t first = 0;
    double slowestCpu = 0;
    for (auto _ : state) {
        double slowest = 0;
        for (qsizetype n = 1; n <= name.size(); ++n) {
            BillQuery q;
            q.text = name.left(n);
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = threadSeconds();
            const std::vector<BillEntry> found = findBills(data, q);
            benchmark::DoNotOptimize(found.data());
            slowest = std::max(slowest, secondsSince(t0));
            slowestCpu = std::max(slowestCpu, threadSeconds() - c0);
            if (n == 1)
                first = found.size();
        }
        state.SetIterationTime(slowest);
    }
    state.counters["cpu_ms"] = slowestCpu * 1000;
    state.counters["records"] = double(data.ReserveList.size());
    state.counters["bills"] = double(data.ReserveList.bills().entries().size());
    state.counters["names"] = double(data.ReserveList.bills().names().size());
    state.counters["first_found"] = double(first);
    state.counters["index_mb"] = double(data.ReserveList.bills().memory()) / (1024.0 * 1024.0);
}

void BM_FindKeystroke(benchmark::State &state)
{
    AppData data;
    if (load(state, data))
        typeName(state, data);
}

void BM_FindKeystrokeDistinct(benchmark::State &state)
{
    AppData data;
    if (!load(state, data))
        return;
    distinctNames(data);
    typeName(state, data);
}

void BM_BillIndexRebuild(benchmark::State &state)
{
    AppData data;
    if (!load(state, data))
        return;
    (void)data.ReserveList.bills(); // warm run
    for (auto _ : state) {
        data.ReserveList.edit(); // counts as a change, as after a save
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(&data.ReserveList.bills());
        state.SetIterationTime(secondsSince(t0));
    }
    state.counters["records"] = double(data.ReserveList.size());
}

BENCHMARK(BM_FindKeystroke)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindKeystrokeDistinct)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BillIndexRebuild)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runOnDataDir(argc, argv, dataDir);
}
