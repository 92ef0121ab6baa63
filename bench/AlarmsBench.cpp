// Alarm evaluation cost per coalesced flush: N enabled alarms tested against
// one snapshot dictionary of the four providers. Target: 10 alarms under 10 µs.
#include "alarms/AlarmManager.h"
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

StatRegistry::Snapshots flush(double value)
{
    StatRegistry::Snapshots snapshots;
    for (const QString& id : {ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network}) {
        StatSnapshot s;
        s.providerId = id;
        s.value = value;
        snapshots.insert(id, s);
    }
    return snapshots;
}

QList<Alarm> alarms(int count)
{
    const QString providers[] = {ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network};
    QList<Alarm> list;
    for (int i = 0; i < count; ++i) {
        Alarm a;
        a.id = QUuid::createUuid();
        a.providerId = providers[i % 4];
        a.threshold = 0.5 + 0.01 * (i % 10);
        a.direction = i % 3 == 0 ? Alarm::Direction::below : Alarm::Direction::above;
        a.repeatInterval = 1e9; // after the first firing, every pass only tests
        a.enabled = true;
        a.notify = false;
        a.notifySnoozeMinutes = 15;
        list.append(a);
    }
    return list;
}

// Values past every threshold: alarms stay firing and wait for their repeat.
void BM_AlarmManagerEvaluateFiring(benchmark::State& state)
{
    Defaults defaults; // in memory: nothing reaches the user's settings
    Defaults* const previousDefaults = Defaults::standard();
    Defaults::setStandard(&defaults);
    defaults.set(SettingsSchema::sampleAlarmSeeded, true);
    {
        AlarmManager manager;
        manager.setAlarms(alarms(int(state.range(0))));
        const auto high = flush(0.99);
        const auto low = flush(0.01);
        manager.evaluate(high);
        manager.evaluate(low);
        for (auto _ : state) {
            manager.evaluate(high);
            benchmark::DoNotOptimize(manager.firing().size());
        }
        state.SetItemsProcessed(state.iterations() * state.range(0));
    }
    Defaults::setStandard(previousDefaults);
}
BENCHMARK(BM_AlarmManagerEvaluateFiring)->Arg(1)->Arg(10)->Arg(100);

// Values that cross nothing: the common idle case.
void BM_AlarmManagerEvaluateIdle(benchmark::State& state)
{
    Defaults defaults;
    Defaults* const previousDefaults = Defaults::standard();
    Defaults::setStandard(&defaults);
    defaults.set(SettingsSchema::sampleAlarmSeeded, true);
    {
        AlarmManager manager;
        QList<Alarm> list = alarms(int(state.range(0)));
        for (Alarm& a : list)
            a.direction = Alarm::Direction::above;
        manager.setAlarms(list);
        const auto idle = flush(0.1);
        for (auto _ : state) {
            manager.evaluate(idle);
            benchmark::DoNotOptimize(manager.firing().size());
        }
        state.SetItemsProcessed(state.iterations() * state.range(0));
    }
    Defaults::setStandard(previousDefaults);
}
BENCHMARK(BM_AlarmManagerEvaluateIdle)->Arg(10)->Arg(100);

} // namespace
