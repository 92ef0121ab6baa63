// Costs of the stat engine's per-second path: the registry's tick pass and
// publish, and the history ring.
#include "stats/ProviderEnablementStore.h"
#include "stats/StatHistoryStore.h"
#include "stats/StatRegistry.h"

#include "platform/core/Defaults.h"
#include "stats/Palette.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

class InstantProvider : public StatProvider {
public:
    explicit InstantProvider(QString id) : m_id(std::move(id)) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    QString shortName() const override { return m_id.left(3).toUpper(); }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette& p) const override { return p.accent1; }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot s;
        s.value = 0.42;
        s.label = QStringLiteral("42%");
        s.breakdown = {Series{"user", "User", 30, std::nullopt}, Series{"system", "System", 12, std::nullopt}};
        s.asOf = QDateTime::currentDateTimeUtc();
        co_return s;
    }

private:
    QString m_id;
};

StatRegistry::Providers fourProviders()
{
    return {std::make_shared<InstantProvider>("cpu.total"), std::make_shared<InstantProvider>("gpu.total"),
            std::make_shared<InstantProvider>("memory.total"), std::make_shared<InstantProvider>("net.total")};
}

void settle(StatRegistry& registry)
{
    QElapsedTimer t;
    t.start();
    while (registry.snapshots().size() < 4 && t.elapsed() < 2000)
        QCoreApplication::processEvents();
}

} // namespace

// A tick pass over four providers that are all within their interval (the
// common case between two samples).
static void BM_StatRegistryTick(benchmark::State& state)
{
    ProviderEnablementStore enablement;
    StatRegistry registry(fourProviders());
    registry.start(nullptr, nullptr, &enablement);
    settle(registry);
    for (auto _ : state)
        registry.tick();
}
BENCHMARK(BM_StatRegistryTick);

// One publish of four snapshots to one subscriber.
static void BM_StatRegistryFlush(benchmark::State& state)
{
    StatRegistry registry(fourProviders());
    int received = 0;
    QObject::connect(&registry, &StatRegistry::snapshotsPublisher, [&](const auto& s) { received += int(s.size()); });
    registry.start(nullptr, nullptr, nullptr);
    settle(registry);
    for (auto _ : state) {
        registry.scheduleFlush();
        registry.flush();
    }
    benchmark::DoNotOptimize(received);
}
BENCHMARK(BM_StatRegistryFlush);

static StatSnapshot benchSnapshot(int i)
{
    StatSnapshot s;
    s.providerId = QStringLiteral("cpu.total");
    s.value = (i % 100) / 100.0;
    s.breakdown = {Series{"user", "User", 30, std::nullopt}, Series{"system", "System", 12, std::nullopt}};
    s.asOf = QDateTime::fromSecsSinceEpoch(1'700'000'000 + i, Qt::UTC);
    s.extras.insert(QStringLiteral("cpu.snapshot"), i);
    return s;
}

// Recording into a full ring (overwrites the oldest sample).
static void BM_HistoryRecord(benchmark::State& state)
{
    StatHistoryStore store;
    for (int i = 0; i < 60; ++i)
        store.record(benchSnapshot(i));
    const StatSnapshot s = benchSnapshot(99);
    for (auto _ : state)
        store.record(s);
}
BENCHMARK(BM_HistoryRecord);

// Reading a full ring right after an append (the list is rebuilt), and again (cached).
static void BM_HistorySamplesAfterAppend(benchmark::State& state)
{
    StatHistoryStore store;
    for (int i = 0; i < 60; ++i)
        store.record(benchSnapshot(i));
    ProviderHistorySlice* slice = store.slice(QStringLiteral("cpu.total"));
    const HistorySample sample{QDateTime::currentDateTimeUtc(), 0.5, {}};
    for (auto _ : state) {
        slice->append(sample);
        benchmark::DoNotOptimize(slice->samples().size());
    }
}
BENCHMARK(BM_HistorySamplesAfterAppend);

static void BM_HistorySamplesCached(benchmark::State& state)
{
    StatHistoryStore store;
    for (int i = 0; i < 60; ++i)
        store.record(benchSnapshot(i));
    ProviderHistorySlice* slice = store.slice(QStringLiteral("cpu.total"));
    slice->samples();
    for (auto _ : state)
        benchmark::DoNotOptimize(slice->samples().size());
}
BENCHMARK(BM_HistorySamplesCached);
