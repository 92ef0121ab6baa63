// Settings tabs: building a tab and painting it once, with the three shipped
// runner sprites installed (target under 30 ms each).

#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Resources.h"
#include "settings/stats/StatsTab.h"
#include "settings/themes/ThemesTab.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "store/BundleVerifier.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SigningKeys.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace gaugelet;

namespace {

// The services a settings window hands its tabs, with fox, hare and piglet
// installed from the shipped bundles into a temporary folder.
struct World {
    std::unique_ptr<StatRegistry> registry = StatRegistry::makeDefaultRegistry();
    std::unique_ptr<VisualizerRegistry> visualizers = std::make_unique<VisualizerRegistry>();
    std::unique_ptr<PinManager> pins;
    std::unique_ptr<ThemeStore> theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
    std::unique_ptr<RunnerStoreAdapter> adapter;
    QTemporaryDir folder;
    bool ready = true;

    World()
    {
        pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(visualizers.get()));
        adapter = std::make_unique<RunnerStoreAdapter>(
            QSet<BundleManifest::BundleType>{BundleManifest::BundleType::runnerSprite}, visualizers.get());
        const QDir assets(Resources::path(QStringLiteral("StoreAssets")));
        for (const char* id : {"fox", "hare", "piglet"}) {
            QFile file(assets.filePath(QString::fromLatin1(id) + QStringLiteral(".gaugebundle")));
            if (!file.open(QIODevice::ReadOnly)) {
                ready = false;
                return;
            }
            auto verified = BundleVerifier::verify(file.readAll(), StoreSigningKey::builtIn());
            if (!verified) {
                ready = false;
                return;
            }
            const QString dir = folder.filePath(QString::fromLatin1(id));
            for (auto it = verified->files.cbegin(); it != verified->files.cend(); ++it) {
                const QString path = dir + u'/' + it.key();
                QDir().mkpath(QFileInfo(path).path());
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly) || out.write(it.value()) != it.value().size())
                    ready = false;
            }
            if (!adapter->install(verified->manifest, dir))
                ready = false;
        }
        // The menu bar of the "Enhanced" look, so the editor is shown.
        pins->setPins({Pin{QStringLiteral("memory.total"), QStringLiteral("viz.runner.piglet")},
                       Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.runner.hare")}});
    }

    ViewEnvironment env() const
    {
        ViewEnvironment e;
        e.registry = registry.get();
        e.visualizers = visualizers.get();
        e.pins = pins.get();
        e.theme = theme.get();
        return e;
    }
};

template <typename Tab>
void buildAndPaint(benchmark::State& state)
{
    World world;
    if (!world.ready) {
        state.SkipWithError("the shipped runner bundles could not be installed");
        return;
    }
    QImage target(540 * 2, 520 * 2, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    for (auto _ : state) {
        auto tab = std::make_unique<Tab>(world.env());
        tab->resize(540, 520);
        tab->setAttribute(Qt::WA_DontShowOnScreen);
        tab->show();
        tab->render(&target);
        benchmark::DoNotOptimize(target.constBits());
        state.PauseTiming();
        tab.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_ThemesTabBuildAndFirstPaint(benchmark::State& state)
{
    buildAndPaint<ThemesTab>(state);
}
BENCHMARK(BM_ThemesTabBuildAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_StatsTabBuildAndFirstPaint(benchmark::State& state)
{
    buildAndPaint<StatsTab>(state);
}
BENCHMARK(BM_StatsTabBuildAndFirstPaint)->Unit(benchmark::kMillisecond);

} // namespace
