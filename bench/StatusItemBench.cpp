// The status item's hot paths: composing a row, an unchanged controller
// redraw, publishing a new IconPixmap on the session bus, and reading a
// host's settings file made to take long.
#include "menubar/MenubarController.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/statusitem/HostSlotSize.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/SniTypes.h"
#include "platform/statusitem/StatusItem.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatRegistry.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace gaugelet;

namespace {

class BenchProvider : public StatProvider {
public:
    BenchProvider(QString id, QString shortName, double value) : m_id(std::move(id)), m_short(std::move(shortName)), m_value(value) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_short; }
    QString shortName() const override { return m_short; }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette&) const override { return Qt::green; }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot s;
        s.value = m_value;
        s.label = QStringLiteral("%1%").arg(qRound(m_value * 100));
        co_return s;
    }

private:
    QString m_id;
    QString m_short;
    double m_value;
};

// Four static tiles (two pies, two number labels) with tag and value labels.
struct Row {
    Row()
    {
        previousDefaults = Defaults::standard();
        Defaults::setStandard(&defaults);
        ScreenFacts facts;
        facts.frame = QRectF(0, 0, 2560, 1440);
        facts.visibleFrame = facts.frame;
        facts.backingScaleFactor = 2.0;
        ScreenInfo::instance()->setMainScreenForTesting(facts);
        registry = std::make_unique<StatRegistry>(StatRegistry::Providers{
            std::make_shared<BenchProvider>(QStringLiteral("cpu.total"), QStringLiteral("CPU"), 0.62),
            std::make_shared<BenchProvider>(QStringLiteral("gpu.total"), QStringLiteral("GPU"), 0.18),
            std::make_shared<BenchProvider>(QStringLiteral("memory.total"), QStringLiteral("MEM"), 0.47),
            std::make_shared<BenchProvider>(QStringLiteral("net.total"), QStringLiteral("NET"), 0.05)});
        registry->tick(); // the bench providers answer at once
        visualizers = std::make_unique<VisualizerRegistry>(
            QList<VisualizerPtr>{std::make_shared<PieVisualizer>(), std::make_shared<NumberLabelVisualizer>()});
        pins = std::make_unique<PinManager>(QList<Pin>{}, PinManager::groupOf(visualizers.get()));
        const QList<Pin> row{{QStringLiteral("cpu.total"), QStringLiteral("viz.pie")},
                             {QStringLiteral("gpu.total"), QStringLiteral("viz.pie")},
                             {QStringLiteral("memory.total"), QStringLiteral("viz.numberLabel")},
                             {QStringLiteral("net.total"), QStringLiteral("viz.numberLabel")}};
        for (const Pin& p : row) {
            for (auto ns : {TagSpec::Namespace::tag, TagSpec::Namespace::value}) {
                TagSpec spec;
                spec.shown = true;
                spec.showBg = true;
                spec.yOffset = ns == TagSpec::Namespace::tag ? -7 : 7;
                TagSpec::save(spec, p.id(), ns, true);
            }
        }
        pins->setPins(row);
        item = std::make_unique<StatusItem>(StatusItem::Presentation::none);
        controller = std::make_unique<MenubarController>(item.get(), registry.get(), visualizers.get(), pins.get(), &clock,
                                                         &enablement);
        controller->render();
        QCoreApplication::processEvents();
    }
    ~Row()
    {
        controller.reset();
        item.reset();
        Defaults::setStandard(previousDefaults);
        ScreenInfo::instance()->resetOverrideForTesting();
    }

    Defaults* previousDefaults = nullptr;
    Defaults defaults; // in memory
    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::unique_ptr<PinManager> pins;
    RenderClock clock;
    ProviderEnablementStore enablement;
    std::unique_ptr<StatusItem> item;
    std::unique_ptr<MenubarController> controller;
};

void BM_ComposeRowOfFourStaticTilesWithLabels(benchmark::State& state)
{
    Row row;
    const QSizeF size = row.item->size();
    for (auto _ : state) {
        QImage image = row.item->compositor()->render(size, 2.0, 1000.0);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["width_pt"] = size.width();
}
BENCHMARK(BM_ComposeRowOfFourStaticTilesWithLabels)->Unit(benchmark::kMicrosecond);

void BM_ControllerRedrawAllCacheHits(benchmark::State& state)
{
    Row row;
    row.controller->render();
    const int views = row.controller->viewRenderCount();
    for (auto _ : state)
        row.controller->render();
    if (row.controller->viewRenderCount() != views)
        state.SkipWithError("a redraw missed the cache");
    QCoreApplication::processEvents(); // the one composition the passes asked for (none)
}
BENCHMARK(BM_ControllerRedrawAllCacheHits)->Unit(benchmark::kMicrosecond);

// One new picture published: both IconPixmap renditions built, NewIcon sent,
// and a host's Get of IconPixmap answered over the bus.
void BM_IconPixmapUpdateOnBus(benchmark::State& state)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        state.SkipWithError("no session bus (run under dbus-run-session)");
        return;
    }
    registerSniTypes();
    Row row;
    auto item = std::make_unique<StatusItem>(StatusItem::Presentation::statusNotifier);
    // The same row, composed into the published item.
    auto copy = Layer::create();
    copy->setFrame(QRectF(QPointF(0, 0), row.item->size()));
    copy->setContents(row.item->compositor()->render(row.item->size(), 2.0, 1000.0));
    copy->setContentsScale(2.0);
    item->button()->layer()->addSublayer(copy);
    item->setLength(row.item->size().width());
    QCoreApplication::processEvents();
    QDBusConnection host = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("bench-host"));
    const QString service = item->statusNotifier()->serviceName();
    int flip = 0;
    for (auto _ : state) {
        copy->setHidden(++flip % 2 == 0); // a changed picture
        item->compositor()->flush();      // composes, converts, sends NewIcon
        QDBusMessage get = QDBusMessage::createMethodCall(service, SniStatusItem::itemPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("IconPixmap");
        QDBusPendingCall call = host.asyncCall(get, 2000);
        while (!call.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (call.isError()) {
            state.SkipWithError("IconPixmap could not be read");
            break;
        }
    }
    item.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("bench-host"));
}
BENCHMARK(BM_IconPixmapUpdateOnBus)->Unit(benchmark::kMicrosecond);

// A host's settings file of about state.range(0) bytes (at most the most
// read), read whole: LXQt's panel.conf listing one panel and its plugins
// again and again, the tray's panel last; Xfce's panel channel with one array
// of that many bytes of <value/>, the tray after it.
void readHostSettings(benchmark::State& state, const QByteArray& text, int (*read)(const QString&), int expected)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings"));
    QFile file(path);
    if (text.size() > HostSlotSize::maxFileBytes || !file.open(QIODevice::WriteOnly)
        || file.write(text) != text.size()) {
        state.SkipWithError("the settings file could not be written");
        return;
    }
    file.close();
    for (auto _ : state) {
        if (read(path) != expected) {
            state.SkipWithError("the file was not read as written");
            break;
        }
    }
    state.counters["bytes"] = double(text.size());
}

void BM_HostSlotSizeLxqtPanelsListedAgain(benchmark::State& state)
{
    const qsizetype times = (state.range(0) - 128) / 4;
    readHostSettings(state,
                     "[General]\npanels=" + QByteArray("p,").repeated(times) + "q\n[p]\nplugins="
                         + QByteArray("x,").repeated(times) + "x\n[q]\nplugins=statusnotifier\niconSize=16\n",
                     HostSlotSize::lxqtPanel, 16);
}
BENCHMARK(BM_HostSlotSizeLxqtPanelsListedAgain)->Arg(80 * 1024)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_HostSlotSizeXfceOneLongArray(benchmark::State& state)
{
    const QByteArray tray("</property><property name=\"plugins\"><property name=\"plugin-1\" value=\"systray\">"
                          "<property name=\"icon-size\" value=\"16\"/></property></property></channel>");
    const QByteArray head("<channel><property name=\"panels\" type=\"array\">");
    const qsizetype values = (state.range(0) - head.size() - tray.size()) / 8;
    readHostSettings(state, head + QByteArray("<value/>").repeated(values) + tray, HostSlotSize::xfceSystray, 16);
    state.counters["values"] = double(values);
}
BENCHMARK(BM_HostSlotSizeXfceOneLongArray)->Arg(116'000 * 8 + 256)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace
