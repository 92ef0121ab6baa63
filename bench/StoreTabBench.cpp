// The settings window's Store tab: building the page for a catalogue of 50
// items, each with its live preview (target: under 50 ms).

#include "alarms/SoundRegistry.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Resources.h"
#include "store/BundleInstaller.h"
#include "store/InstalledBundleRegistry.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SoundStoreAdapter.h"
#include "store/StoreCoordinator.h"
#include "store/views/StoreItemRow.h"
#include "store/views/StoreTab.h"

#include <QLayout>
#include <QScrollArea>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

// Serves the bundles that ship with the program (signed with the store key the
// program trusts) under 50 catalogue ids: runners and sound packs alike.
class ShippedBundlesClient : public StoreClient {
public:
    ShippedBundlesClient()
    {
        for (const char* name : {"fox", "hare", "piglet", "effects"}) {
            auto bytes = FileSystem::readFile(Resources::path(QStringLiteral("StoreAssets/%1.gaugebundle").arg(QLatin1String(name))));
            if (bytes)
                m_archives.append(*bytes);
        }
        for (int i = 0; i < 50 && !m_archives.isEmpty(); ++i) {
            StoreItem item;
            item.id = QStringLiteral("bench.pack%1").arg(i, 2, 10, QLatin1Char('0'));
            item.displayName = QStringLiteral("Pack %1").arg(i);
            item.author = QStringLiteral("Gaugelet");
            item.releaseDate = QDateTime::currentDateTimeUtc().addDays(-i);
            item.priceCents = (i % 3) * 199;
            item.currency = QStringLiteral("USD");
            item.type = (i % 4 == 3) ? BundleManifest::BundleType::soundPack : BundleManifest::BundleType::runnerSprite;
            item.downloadHandle = QString::number(i % 4);
            item.isNSFW = i == 7;
            m_items.append(item);
        }
    }

    bool ready() const { return m_archives.size() == 4; }

    QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() override
    {
        QList<StoreItem> items = m_items;
        co_return items;
    }
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override
    {
        QByteArray bytes = m_archives.value(item.downloadHandle.toInt());
        co_return bytes;
    }

private:
    QList<QByteArray> m_archives;
    QList<StoreItem> m_items;
};

struct StoreFixture {
    QTemporaryDir root;
    InstalledBundleRegistry registry{root.filePath(QStringLiteral("Bundles"))};
    BundleInstaller installer{&registry};
    VisualizerRegistry visualizers;
    RunnerStoreAdapter runner{{BundleManifest::BundleType::runnerSprite}, &visualizers};
    SoundStoreAdapter sound{{BundleManifest::BundleType::soundPack}};
    ShippedBundlesClient client;
    StoreCoordinator store{&registry, &installer, &client, {&runner, &sound}};

    bool refresh()
    {
        QCoro::waitFor(store.refresh());
        return store.available().size() == 50;
    }
};

void BM_StoreTabBuild50ItemsWithPreviews(benchmark::State& state)
{
    StoreFixture fixture;
    if (!fixture.client.ready() || !fixture.refresh()) {
        state.SkipWithError("the shipped bundles could not be listed");
        return;
    }
    ViewEnvironment env;
    env.store = &fixture.store;
    int previews = 0;
    for (auto _ : state) {
        StoreTab tab(env);
        tab.resize(540, 470);
        tab.ensurePolished();
        tab.layout()->activate();
        tab.findChild<QScrollArea*>(QStringLiteral("scrollArea"))->widget()->layout()->activate();
        state.PauseTiming();
        previews = 0;
        for (StoreItemRow* row : tab.findChildren<StoreItemRow*>())
            previews += row->previewWidget() != nullptr;
        state.ResumeTiming();
    }
    state.counters["rows"] = 50;
    state.counters["previews"] = previews;
    if (previews != 50)
        state.SkipWithError("not every row shows its preview");
}
BENCHMARK(BM_StoreTabBuild50ItemsWithPreviews)->Unit(benchmark::kMillisecond);

// The same page built and drawn once, as the window first shows it.
void BM_StoreTabBuildAndDraw50ItemsWithPreviews(benchmark::State& state)
{
    StoreFixture fixture;
    if (!fixture.client.ready() || !fixture.refresh()) {
        state.SkipWithError("the shipped bundles could not be listed");
        return;
    }
    ViewEnvironment env;
    env.store = &fixture.store;
    for (auto _ : state) {
        StoreTab tab(env);
        tab.resize(540, 470);
        QPixmap picture = tab.grab();
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_StoreTabBuildAndDraw50ItemsWithPreviews)->Unit(benchmark::kMillisecond);

} // namespace
