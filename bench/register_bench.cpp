// Opening the guest register at the desk: the pass phrase's key derivation,
// reading and opening register.dat, and the day's arrivals, on a register of
// 100,000 entries (about three years of a busy inn), made in a temporary
// folder at the start.
//
//   register_bench [--benchmark_repetitions=5]
//
// BM_UnlockAndArrivals is the whole of it (goal: at most 300 ms);
// BM_Derivation the derivation alone, BM_Arrivals the day's list alone.

#include "register/guest_register.h"
#include "register/register_crypto.h"
#include "register/register_store.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

const QByteArray kPass("bench pass phrase");
const QDate kFirst(2024, 1, 1);
constexpr int kEntries = 100000;

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<RegisterFileStore> store;
    Fixture()
    {
        store = std::make_unique<RegisterFileStore>(dir.path());
        GuestRegister reg(*store);
        QString recovery, error;
        if (!reg.create(kPass, &recovery, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        const QDateTime now(kFirst, QTime(9, 0));
        for (int i = 0; i < kEntries; ++i) {
            RegisterEntry e;
            e.meiNo = quint32(100000 + i / 2);
            e.room = QString::number(100 + i % 30);
            e.firstNight = kFirst.addDays(i / 90);
            e.nights = 1 + i % 3;
            e.name = QStringLiteral("Guest %1 Müller").arg(i);
            e.reading = QStringLiteral("ゲスト");
            e.address = QStringLiteral("長野県松本市中央 %1-2-3").arg(i % 999);
            e.contact = QStringLiteral("0263-%1").arg(i, 6, 10, QLatin1Char('0'));
            if (i % 4 == 0) {
                e.livesAbroad = true;
                e.nationality = QStringLiteral("DE");
                e.passportNo = QStringLiteral("C%1").arg(i, 8, 10, QLatin1Char('0'));
            }
            reg.put(e, now.addDays(i / 90));
        }
        if (!reg.save(&error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_UnlockAndArrivals(benchmark::State &state)
{
    Fixture &f = fixture();
    const QDate day = kFirst.addDays(500);
    for (auto _ : state) {
        GuestRegister reg(*f.store);
        QString error;
        if (!reg.unlock(kPass, &error))
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(reg.arrivalsOn(day));
    }
}
BENCHMARK(BM_UnlockAndArrivals)->Unit(benchmark::kMillisecond);

void BM_Derivation(benchmark::State &state)
{
    const register_crypto::SecretKey key = register_crypto::SecretKey::random();
    register_crypto::KeyFile file;
    QString recovery;
    register_crypto::makeKeyFile(key, kPass, &file, &recovery);
    for (auto _ : state) {
        register_crypto::SecretKey out;
        benchmark::DoNotOptimize(register_crypto::keyFromPassphrase(file, kPass, &out));
    }
}
BENCHMARK(BM_Derivation)->Unit(benchmark::kMillisecond);

void BM_Arrivals(benchmark::State &state)
{
    GuestRegister reg(*fixture().store);
    QString error;
    reg.unlock(kPass, &error);
    const QDate day = kFirst.addDays(500);
    for (auto _ : state)
        benchmark::DoNotOptimize(reg.arrivalsOn(day));
}
BENCHMARK(BM_Arrivals)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
