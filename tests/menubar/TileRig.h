#pragma once

// The status row as the program draws it, for the tile tests: the real
// controller with the real visualizers (the shipped runners included), five
// statistics whose next snapshot the test writes, and a wide screen.

#include "RunnerTestSupport.h"
#include "StatusRowFakes.h"
#include "menubar/MenubarController.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/PinManager.h"
#include "menubar/RunnerVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "menubar/SquareFit.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "stats/NetworkProvider.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "support/TestSupport.h"

#include <QHash>
#include <cmath>
#include <memory>
#include <vector>

namespace gaugelet::test::tiles {

using namespace gaugelet::test::runner;
using namespace gaugelet::test::statusrow;

inline const QString cpu = QStringLiteral("cpu.total");
inline const QString gpu = QStringLiteral("gpu.total");
inline const QString mem = QStringLiteral("memory.total");
inline const QString net = QStringLiteral("net.total");
inline const QString swapStat = QStringLiteral("swap.total");

// A provider whose next snapshot the test writes: value, label and, for
// network, the up and down series as the network provider formats them.
class ScriptedProvider : public StatProvider {
public:
    ScriptedProvider(QString id, QString shortName) : m_id(std::move(id)), m_short(std::move(shortName)) { }
    QString id() const override { return m_id; }
    QString displayName() const override { return m_short; }
    QString shortName() const override { return m_short; }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette&) const override { return Qt::red; }
    QSet<QString> excludedVisualizerIds() const override
    {
        return m_id == net ? QSet<QString>{QStringLiteral("viz.pie")} : QSet<QString>{};
    }
    QCoro::Task<StatSnapshot> sample() override { co_return next; }

    StatSnapshot next;

private:
    QString m_id;
    QString m_short;
};

// The largest texts each statistic shows.
inline StatSnapshot worstCase(const QString& provider)
{
    StatSnapshot s;
    if (provider == net) {
        const double down = 123.4e6;
        const double up = 999e3;
        s.value = 1;
        s.label = NetworkProvider::rateText(down + up);
        s.breakdown = {
            Series{QStringLiteral("up"), QStringLiteral("Upload"), up, NetworkProvider::rateText(up)},
            Series{QStringLiteral("down"), QStringLiteral("Download"), down, NetworkProvider::rateText(down)}};
    } else {
        s.value = 1;
        s.label = QStringLiteral("100%");
    }
    s.asOf = QDateTime::currentDateTimeUtc();
    return s;
}

// The preset label styling, written as applying the preset writes it.
enum class Styling { none, tagAndValue };

inline void writeStyling(const QString& pinId, Styling styling, bool store)
{
    if (!store)
        return;
    for (auto ns : {TagSpec::Namespace::tag, TagSpec::Namespace::value}) {
        TagSpec spec;
        spec.shown = styling == Styling::tagAndValue;
        spec.position = TagPosition::behind;
        spec.yOffset = TagSpec::defaultYOffset(TagPosition::behind, ns, TagOrientation::horizontal);
        TagSpec::save(spec, pinId, ns, true);
    }
}

// The controller with real visualizers (the shipped runners included), five
// statistics and a wide screen.
struct Rig {
    Rig()
    {
        useWideLightScreen();
        for (auto [id, name] : {std::pair{cpu, "CPU"}, std::pair{gpu, "GPU"}, std::pair{mem, "MEM"},
                                std::pair{net, "NET"}, std::pair{swapStat, "SWP"}}) {
            auto p = std::make_shared<ScriptedProvider>(id, QString::fromLatin1(name));
            p->next = worstCase(id);
            providers.insert(id, p);
            providerList.push_back(p);
        }
        registry = std::make_unique<StatRegistry>(providerList);
        QList<VisualizerPtr> visualizerList{
            std::make_shared<NumberLabelVisualizer>(), std::make_shared<PieVisualizer>(),
            std::make_shared<SparklineVisualizer>(QStringLiteral("viz.sparkline"), QStringLiteral("Sparkline"))};
        for (const QString& id : {QStringLiteral("fox"), QStringLiteral("hare"), QStringLiteral("piglet")}) {
            packs.push_back(std::make_unique<ShippedPack>(id));
            if (packs.back()->ok)
                visualizerList.append(std::make_shared<RunnerVisualizer>(packs.back()->kind()));
        }
        visualizers = std::make_unique<VisualizerRegistry>(visualizerList);
        pins = std::make_unique<PinManager>(QList<Pin>{}, PinManager::groupOf(visualizers.get()));
        pins->setPins({});
        item = std::make_unique<StatusItem>(StatusItem::Presentation::none);
        controller = std::make_unique<MenubarController>(item.get(), registry.get(), visualizers.get(), pins.get(),
                                                         &clock, &enablement);
        controller->start();
        publish(*registry, media);
        settle();
    }
    ~Rig()
    {
        controller.reset();
        Appearance::instance()->setOverrideForTesting(std::nullopt);
        ScreenInfo::instance()->resetOverrideForTesting();
    }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // A minute's worth of changing values, so the sparklines have a shape;
    // afterwards the largest texts again.
    void feedChangingValues()
    {
        const QDateTime start = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 12; ++i) {
            int k = 0;
            for (const auto& p : std::as_const(providers)) {
                p->next.value = 0.5 + 0.4 * std::sin(i * 0.45 + k++);
                p->next.label = QStringLiteral("%1%").arg(std::lround(p->next.value * 100));
                p->next.asOf = start.addSecs(i);
            }
            publish(*registry, media);
            settle();
        }
        for (auto it = providers.cbegin(); it != providers.cend(); ++it)
            it.value()->next = worstCase(it.key());
    }
    bool runnersInstalled() const { return visualizers->visualizer(QStringLiteral("viz.runner.fox")) != nullptr; }

    // Shows the pins with their styling and composes the row.
    void show(const QList<Pin>& list)
    {
        pins->setPins(list);
        settle();
        item->compositor()->flush();
    }

    // A pin's slot in the row: the union of its tile's and labels' frames,
    // the row's full height.
    QRectF slot(const QString& id) const
    {
        RunnerLayerBridge& bridge = controller->runnerBridge();
        QRectF box;
        for (const Layer::Ptr& layer : {Layer::Ptr(bridge.layers.value(id)), bridge.staticLayers.value(id),
                                        bridge.tagLayers.value(id), bridge.valueLayers.value(id)})
            if (layer)
                box = box.united(layer->frame());
        return QRectF(box.left(), 0, box.width(), SquareFit::thickness);
    }

    ScopedDefaults defaults;
    ManualMediaClock media{1000};
    QHash<QString, std::shared_ptr<ScriptedProvider>> providers;
    StatRegistry::Providers providerList;
    std::unique_ptr<StatRegistry> registry;
    std::vector<std::unique_ptr<ShippedPack>> packs;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::unique_ptr<PinManager> pins;
    RenderClock clock;
    ProviderEnablementStore enablement;
    std::unique_ptr<StatusItem> item;
    std::unique_ptr<MenubarController> controller;
};

} // namespace gaugelet::test::tiles
