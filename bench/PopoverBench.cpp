// The stats popover: opening it (build, lay out and paint four rows without
// detail views; target under 10 ms) and the update of an open popover after a
// publish (target under 2 ms).

#include "alarms/AlarmManager.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "popover/StatsPopover.h"
#include "schema/SettingsSchema.h"
#include "stats/Palette.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/StatHistoryStore.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "update/SparkleUpdater.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace gaugelet;

namespace {

class BenchProvider : public StatProvider {
public:
    BenchProvider(QString id, QString name, bool merged) : m_id(std::move(id)), m_name(std::move(name)), m_merged(merged) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_name; }
    QString shortName() const override { return m_name; }
    double refreshInterval() const override { return 0.0; }
    QColor accentColor(const Palette& palette) const override { return palette.accent1; }
    bool supportsMergedDisplay() const override { return m_merged; }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot s;
        s.value = value;
        s.label = QStringLiteral("%1%").arg(std::lround(value * 100));
        s.asOf = QDateTime::currentDateTimeUtc();
        co_return s;
    }
    double value = 0.3;

private:
    QString m_id, m_name;
    bool m_merged;
};

struct World {
    World()
    {
        Defaults::standard()->set(SettingsSchema::sampleAlarmSeeded, true);
        StatRegistry::Providers list;
        for (auto [id, name] : {std::pair{"cpu.total", "CPU"}, {"gpu.total", "GPU"}, {"memory.total", "Memory"},
                                {"net.total", "Network"}}) {
            auto p = std::make_shared<BenchProvider>(QString::fromLatin1(id), QString::fromLatin1(name),
                                                     QLatin1String(id) == QLatin1String("net.total"));
            providers.append(p.get());
            list.push_back(p);
        }
        registry = std::make_unique<StatRegistry>(list);
        pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(&visualizers));
        publish();
    }
    void publish()
    {
        for (BenchProvider* p : providers)
            p->value = std::fmod(p->value + 0.137, 1.0);
        registry->tick();
        while (!registry->inflight().isEmpty())
            QCoreApplication::processEvents();
        registry->flush();
    }
    ViewEnvironment env()
    {
        ViewEnvironment e;
        e.registry = registry.get();
        e.visualizers = &visualizers;
        e.pins = pins.get();
        e.alarms = &alarms;
        e.updater = &updater;
        e.theme = &theme;
        e.enablement = &enablement;
        e.history = &history;
        return e;
    }
    QList<BenchProvider*> providers;
    std::unique_ptr<StatRegistry> registry;
    VisualizerRegistry visualizers;
    std::unique_ptr<PinManager> pins;
    AlarmManager alarms;
    SparkleUpdater updater;
    ThemeStore theme{QStringLiteral("gum.dark")};
    ProviderEnablementStore enablement;
    StatHistoryStore history;
};

std::optional<ScreenFacts> screen1440()
{
    ScreenFacts facts;
    facts.frame = QRectF(0, 0, 1440, 900);
    facts.visibleFrame = QRectF(0, 25, 1440, 875);
    return facts;
}

void paint(QWidget& widget, QImage& target)
{
    QPainter p(&target);
    widget.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
}

void BM_PopoverOpenFourRows(benchmark::State& state)
{
    World world;
    QImage target(740 * 2, 900 * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    for (auto _ : state) {
        StatsPopover popover(world.env(), {}, screen1440);
        popover.resize(popover.width(), popover.heightForWidth(popover.width()));
        paint(popover, target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_PopoverOpenFourRows)->Unit(benchmark::kMillisecond);

void BM_PopoverUpdateAfterPublish(benchmark::State& state)
{
    World world;
    StatsPopover popover(world.env(), {}, screen1440);
    popover.resize(popover.width(), popover.heightForWidth(popover.width()));
    QImage target(740 * 2, 900 * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    paint(popover, target);
    const int builds = popover.buildCount();
    for (auto _ : state) {
        state.PauseTiming();
        world.publish();
        state.ResumeTiming();
        popover.updateNow();
        paint(popover, target);
        benchmark::DoNotOptimize(target.constBits());
    }
    if (popover.buildCount() != builds)
        state.SkipWithError("a publish rebuilt the popover");
}
BENCHMARK(BM_PopoverUpdateAfterPublish)->Unit(benchmark::kMillisecond);

} // namespace
