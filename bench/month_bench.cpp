// The month reports computed from a program directory that holds a
// reserve.dat (made by reserve_gen):
//
//   month_bench --data_dir=DIR --benchmark_repetitions=15 [benchmark flags]
//
// Each benchmark computes one report's grid for the month of the middle
// record's settlement date, from ReserveList and its date index: BM_MonthBathing (入湯税
// 納入明細), BM_MonthSales (月次売上日計表), BM_MonthReceivables (売掛金月次明細)
// and BM_MonthItems (options of オプション明細出力). The item master is the
// default one and every third settled bill gets a card payment, as a desk's
// data would have them. Each iteration times only the computation; the date
// index is built by an untimed run before them, as by the first report after
// start-up (reserve_bench's BM_IndexRebuild times that).

#include "data_dir_main.h"
#include "reports/getuji.h"
#include "reports/item_sales.h"
#include "reports/nyutouzei.h"
#include "reports/receivables.h"
#include "storage/app_data.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFileInfo>
#include <QTimeZone>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

QString dataDir;
const QDateTime startTime(QDate(2026, 12, 10), QTime(9, 0), QTimeZone(32400));

struct Loaded {
    AppData data;
    ReportMonth month;
    QString error;
};

const Loaded &loaded()
{
    static const std::unique_ptr<Loaded> once = [] {
        auto l = std::make_unique<Loaded>();
        TLibrary lib;
        l->error = loadAppData(l->data, lib, dataDir, startTime);
        if (l->data.ReserveList.empty() && l->error.isEmpty())
            l->error = QStringLiteral("no reserve.dat loaded from --data_dir");
        if (!l->error.isEmpty())
            return l;
        seedDefaultKamoku(l->data.KamokuList);
        uint32_t last = 0;
        int bills = 0;
        for (const TReserveData &r : l->data.ReserveList) {
            if (r.MeiNo == last || r.Seisan[0] == '\0')
                continue;
            last = r.MeiNo;
            if (bills++ % 3 == 0) {
                TUrikakeData u{};
                u.MeiNo = r.MeiNo;
                std::memcpy(u.Seisan, r.Seisan, sizeof u.Seisan);
                std::memcpy(u.Name, r.Name, sizeof r.Name);
                u.Card = 101001 + uint32_t(bills % 3);
                u.Goukei = 10000 + 100 * (bills % 300);
                l->data.UrikakeList.push_back(u);
            }
        }
        // The month of the middle record's settlement: one with bills in it.
        for (size_t i = l->data.ReserveList.size() / 2; i < l->data.ReserveList.size(); ++i) {
            const QDate d = QDate::fromString(QString::fromLatin1(l->data.ReserveList[i].Seisan, 10),
                                              QStringLiteral("yyyy/MM/dd"));
            if (d.isValid()) {
                l->month = ReportMonth(d);
                break;
            }
        }
        if (!l->month.isValid())
            l->error = QStringLiteral("no settled bill after the middle record");
        return l;
    }();
    return *once;
}

void runMonth(benchmark::State &state, const std::function<MonthGrid(const AppData &, const ReportMonth &)> &compute)
{
    const Loaded &l = loaded();
    if (!l.error.isEmpty()) {
        state.SkipWithError(l.error.toLocal8Bit().constData());
        return;
    }
    size_t rows = compute(l.data, l.month).rows.size(); // warm run
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        MonthGrid grid = compute(l.data, l.month);
        benchmark::DoNotOptimize(grid.rows.data());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!grid.error.isEmpty()) {
            state.SkipWithError(grid.error.toLocal8Bit().constData());
            return;
        }
        rows = grid.rows.size();
    }
    state.counters["records"] = double(l.data.ReserveList.size());
    state.counters["rows"] = double(rows);
}

void BM_MonthBathing(benchmark::State &state)
{
    runMonth(state, [](const AppData &d, const ReportMonth &m) { return nyutouzeiMonth(d, m); });
}
void BM_MonthSales(benchmark::State &state)
{
    runMonth(state, [](const AppData &d, const ReportMonth &m) { return getujiMonth(d, m); });
}
void BM_MonthReceivables(benchmark::State &state)
{
    runMonth(state, [](const AppData &d, const ReportMonth &m) { return receivablesMonth(d, m); });
}
void BM_MonthItems(benchmark::State &state)
{
    runMonth(state, [](const AppData &d, const ReportMonth &m) { return itemSalesMonth(d, m, 1); });
}

// One call per repetition, as in reserve_bench: the median drops a sample
// spoilt by a bad moment of a shared machine.
BENCHMARK(BM_MonthBathing)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthSales)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthReceivables)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthItems)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runOnDataDir(argc, argv, dataDir);
}
