#include "menubar/MenubarController.h"
#include "StatusRowFakes.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "schema/SettingsSchema.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::statusrow;

namespace {

const QString cpu = QStringLiteral("cpu.total");
const QString gpu = QStringLiteral("gpu.total");
const QString mem = QStringLiteral("memory.total");
const QString net = QStringLiteral("net.total");

// The controller with its services, a wide main screen and in-memory defaults.
struct Rig {
    Rig()
    {
        useWideLightScreen();

        for (auto [id, name] : {std::pair{cpu, "CPU"}, std::pair{gpu, "GPU"}, std::pair{mem, "MEM"}, std::pair{net, "NET"}}) {
            auto p = std::make_shared<SettableProvider>(id, QString::fromLatin1(name));
            providers.insert(id, p);
            providerList.push_back(p);
        }
        registry = std::make_unique<StatRegistry>(providerList);
        tile = std::make_shared<CountingTileVisualizer>(QStringLiteral("viz.tile"), QSizeF(20, 16));
        number = std::make_shared<CountingTileVisualizer>(QStringLiteral("viz.number"), QSizeF(24, 22), true);
        sprite = std::make_shared<CountingSpriteVisualizer>(QStringLiteral("viz.runner.fox"));
        visualizers = std::make_unique<VisualizerRegistry>(QList<VisualizerPtr>{tile, number, sprite});
        pins = std::make_unique<PinManager>(QList<Pin>{}, PinManager::groupOf(visualizers.get()));
        pins->setPins({});
        item = std::make_unique<StatusItem>(StatusItem::Presentation::none);
        controller = std::make_unique<MenubarController>(item.get(), registry.get(), visualizers.get(), pins.get(), &clock,
                                                         &enablement);
    }
    ~Rig()
    {
        controller.reset();
        Appearance::instance()->setOverrideForTesting(std::nullopt);
        ScreenInfo::instance()->resetOverrideForTesting();
    }

    void set(const QString& id, double value) { providers.value(id)->value = value; }
    bool flush() { return publish(*registry, media); }
    // Runs the queued redraw of this turn, if any.
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    ScopedDefaults defaults;
    ManualMediaClock media{1000};
    QHash<QString, std::shared_ptr<SettableProvider>> providers;
    StatRegistry::Providers providerList;
    std::unique_ptr<StatRegistry> registry;
    std::shared_ptr<CountingTileVisualizer> tile;
    std::shared_ptr<CountingTileVisualizer> number;
    std::shared_ptr<CountingSpriteVisualizer> sprite;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::unique_ptr<PinManager> pins;
    RenderClock clock;
    ProviderEnablementStore enablement;
    std::unique_ptr<StatusItem> item;
    std::unique_ptr<MenubarController> controller;
};

Pin pin(const QString& provider, const QString& viz)
{
    return Pin{provider, viz};
}

} // namespace

TEST(MenubarController, ShowsTheIdleLogoWhenNothingIsPinned)
{
    Rig rig;
    rig.controller->start();
    EXPECT_TRUE(rig.controller->isFallbackShown());
    EXPECT_EQ(rig.item->button()->image().cacheKey(), MenubarController::idleLogo().cacheKey());
    EXPECT_EQ(rig.item->length(), StatusItem::variableLength);
    EXPECT_EQ(MenubarController::idleLogo().size() / MenubarController::idleLogo().devicePixelRatio(), QSize(18, 18));

    // A second pass with the same state changes nothing.
    rig.settle();
    rig.item->compositor()->flush();
    const int compositions = rig.item->compositor()->compositionCount();
    rig.controller->render();
    rig.settle();
    EXPECT_EQ(rig.item->compositor()->compositionCount(), compositions);
}

TEST(MenubarController, DisabledProvidersAreNotShown)
{
    Rig rig;
    rig.defaults->set(ProviderEnablementStore::enabledKey(cpu), false);
    ProviderEnablementStore enablement; // reads the setting afresh
    MenubarController controller(rig.item.get(), rig.registry.get(), rig.visualizers.get(), rig.pins.get(), &rig.clock,
                                 &enablement);
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.5);
    controller.start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_TRUE(controller.visiblePins().isEmpty());
    EXPECT_TRUE(controller.isFallbackShown());
    EXPECT_TRUE(controller.runnerBridge().staticLayers.isEmpty());
}

TEST(MenubarController, RedrawsOnlyWhenAPinnedValueChangesExactly)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.25);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    const int afterFirst = rig.controller->renderCount();
    EXPECT_FALSE(rig.controller->isFallbackShown());
    EXPECT_TRUE(rig.controller->runnerBridge().staticLayers.contains(QStringLiteral("cpu.total::viz.tile")));
    EXPECT_TRUE(rig.item->button()->image().isNull());

    ASSERT_TRUE(rig.flush()); // same values
    rig.settle();
    EXPECT_EQ(rig.controller->renderCount(), afterFirst);

    rig.set(gpu, 0.9); // not pinned
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_EQ(rig.controller->renderCount(), afterFirst);

    rig.set(cpu, 0.2500001);
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_EQ(rig.controller->renderCount(), afterFirst + 1);
    EXPECT_EQ(rig.controller->observedPinnedValues().value(cpu), 0.2500001);
}

TEST(MenubarController, AProviderStuckOnNaNDoesNotRedrawEveryFlush)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.controller->start();
    StatRegistry::Snapshots snapshots;
    StatSnapshot s;
    s.providerId = cpu;
    s.value = std::numeric_limits<double>::quiet_NaN();
    snapshots.insert(cpu, s);
    EXPECT_TRUE(rig.controller->valuesChanged(snapshots));
    EXPECT_FALSE(rig.controller->valuesChanged(snapshots));
    EXPECT_FALSE(rig.controller->valuesChanged({}));
}

TEST(MenubarController, RequestsOfOneTurnCollapseIntoOneRedraw)
{
    Rig rig;
    rig.controller->start();
    rig.settle();
    const int before = rig.controller->renderCount();
    rig.controller->scheduleRefresh();
    rig.controller->scheduleRefresh();
    rig.controller->scheduleRefresh();
    EXPECT_TRUE(rig.controller->isRefreshPending());
    EXPECT_EQ(rig.controller->renderCount(), before);
    rig.settle();
    EXPECT_EQ(rig.controller->renderCount(), before + 1);
    EXPECT_FALSE(rig.controller->isRefreshPending());
}

TEST(MenubarController, ReplacingThePinsForgetsTheObservedValues)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.4);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    ASSERT_FALSE(rig.controller->observedPinnedValues().isEmpty());
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile")), pin(mem, QStringLiteral("viz.tile"))});
    EXPECT_TRUE(rig.controller->observedPinnedValues().isEmpty());
    rig.settle();
    const int before = rig.controller->renderCount();
    ASSERT_TRUE(rig.flush()); // unchanged values still redraw once
    rig.settle();
    EXPECT_EQ(rig.controller->renderCount(), before + 1);
}

TEST(MenubarController, StaticTilesComeFromTheCacheUntilTheirInputsChange)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.3);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_EQ(rig.tile->views, 1);
    rig.controller->render();
    EXPECT_EQ(rig.tile->views, 1); // cache hit
    EXPECT_EQ(rig.controller->cache().pinImages.size(), 1);

    // Drawn for the heights composed, every one until the host is known;
    // other heights draw the tile anew for those alone.
    const auto still = [&] {
        return rig.controller->runnerBridge().staticLayers.value(QStringLiteral("cpu.total::viz.tile"));
    };
    EXPECT_EQ(still()->contentsRepresentations().size(), qsizetype(StatusItem::pixelSizes.size()));
    rig.item->setComposedPixelSizes({24});
    ASSERT_TRUE(waitUntil([&] { return rig.tile->views == 2; }));
    ASSERT_EQ(still()->contentsRepresentations().size(), 1);
    const double at24 = StatusItem::scaleForPixelSize(24);
    EXPECT_DOUBLE_EQ(still()->contentsRepresentations().constFirst().devicePixelRatio(), at24);
    // The screen's scale (2) is not drawn for the layer's contents alone.
    EXPECT_EQ(still()->contents().cacheKey(), still()->contentsRepresentations().constFirst().cacheKey());
    EXPECT_DOUBLE_EQ(still()->contentsScale(), at24);
    rig.item->setComposedPixelSizes({16, 22, 24, 32, 44, 48});
    ASSERT_TRUE(waitUntil(
        [&] { return still()->contentsRepresentations().size() == qsizetype(StatusItem::pixelSizes.size()); }));
    EXPECT_EQ(rig.tile->views, 2); // those pictures are still kept

    // Another appearance is another key, and the cache empties and redraws by itself.
    Appearance::instance()->setOverrideForTesting(true);
    ASSERT_TRUE(waitUntil([&] { return rig.controller->cache().cachedTheme == Theme::dark && rig.tile->views == 3; }));
    EXPECT_EQ(rig.controller->cache().pinImages.size(), 1);
}

TEST(MenubarController, TheImageCacheEmptiesPastSixtyFourEntries)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.5);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    ASSERT_EQ(rig.controller->cache().pinImages.size(), 1);
    for (int i = 0; i < 64; ++i)
        rig.controller->cache().pinImages.insert(-1000 - i, {QImage(1, 1, QImage::Format_ARGB32)});
    rig.set(cpu, 0.77);
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_TRUE(rig.controller->cache().pinImages.isEmpty());
    // The new picture was still used.
    EXPECT_FALSE(rig.controller->runnerBridge().staticLayers.value(QStringLiteral("cpu.total::viz.tile"))->contents().isNull());
}

TEST(MenubarController, ClockRateFollowsAnimatedPinsWithoutASpriteLayer)
{
    Rig rig;
    EXPECT_EQ(MenubarController::fpsLimit(), 15);
    rig.defaults->set(SettingsSchema::fpsLimit, 0);
    EXPECT_EQ(MenubarController::fpsLimit(), 15);
    rig.defaults->set(SettingsSchema::fpsLimit, -3);
    EXPECT_EQ(MenubarController::fpsLimit(), 1);
    rig.defaults->set(SettingsSchema::fpsLimit, 20);
    EXPECT_EQ(MenubarController::fpsLimit(), 20);

    rig.pins->setPins({pin(cpu, QStringLiteral("viz.runner.fox"))});
    rig.set(cpu, 0.5);
    ASSERT_TRUE(rig.flush()); // a snapshot exists before the controller starts
    rig.sprite->fps = 7.2;
    rig.controller->updateClockRate();
    EXPECT_EQ(rig.clock.hz(), 8);
    EXPECT_EQ(rig.item->compositor()->framesPerSecondLimit(), 20);

    rig.controller->render(); // the sprite layer now exists
    ASSERT_TRUE(rig.controller->runnerBridge().layers.contains(QStringLiteral("cpu.total::viz.runner.fox")));
    rig.controller->updateClockRate();
    EXPECT_EQ(rig.clock.hz(), 1);

    // A broken rate never reaches the clock; a huge one stops at the limit.
    rig.controller->runnerBridge().prune({});
    rig.sprite->fps = std::numeric_limits<double>::quiet_NaN();
    rig.controller->updateClockRate();
    EXPECT_EQ(rig.clock.hz(), 1);
    rig.sprite->fps = 1e9;
    rig.controller->updateClockRate();
    EXPECT_EQ(rig.clock.hz(), 20);
}

TEST(MenubarController, SpritesPlayInTheStatusItemAndStopWhenUnpinned)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.runner.fox"))});
    rig.set(cpu, 0.5);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    const QString key = QStringLiteral("cpu.total::viz.runner.fox");
    auto layer = rig.controller->runnerBridge().layers.value(key);
    ASSERT_TRUE(layer);
    EXPECT_NE(layer->animation(RunnerLayer::animationKey), nullptr);
    EXPECT_EQ(layer->speed(), 2.0f); // cycle 0.5 s at a value of 0.5
    EXPECT_EQ(layer->frame(), QRectF(0, 2, 18, 18));
    rig.item->compositor()->flush();
    EXPECT_TRUE(rig.item->compositor()->isAnimationTimerActive());
    rig.controller->setPaused(true);
    EXPECT_FALSE(rig.item->compositor()->isAnimationTimerActive());
    rig.controller->setPaused(false);

    rig.pins->setPins({});
    rig.settle();
    EXPECT_TRUE(rig.controller->runnerBridge().layers.isEmpty());
    EXPECT_EQ(layer->superlayer(), nullptr);
    EXPECT_TRUE(rig.controller->isFallbackShown());
    rig.item->compositor()->flush();
    EXPECT_FALSE(rig.item->compositor()->isAnimationTimerActive());
}

TEST(MenubarController, LabelsFollowTheStoredStylingAndTheTheme)
{
    Rig rig;
    const QString key = QStringLiteral("cpu.total::viz.number");
    rig.defaults->set(TagSpec::key(key, TagSpec::Namespace::tag, u"shown"), true);
    rig.defaults->set(TagSpec::key(key, TagSpec::Namespace::value, u"shown"), true);
    Appearance::instance()->setOverrideForTesting(true);
    MenubarController controller(rig.item.get(), rig.registry.get(), rig.visualizers.get(), rig.pins.get(), &rig.clock,
                                 &rig.enablement);
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.number"))});
    rig.set(cpu, 0.42);
    controller.start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    // The number label draws its own badge: no tag layer; the value has one.
    EXPECT_FALSE(controller.runnerBridge().tagLayers.contains(key));
    ASSERT_TRUE(controller.runnerBridge().valueSpecs.contains(key));
    const AnimatedTagSpec value = controller.runnerBridge().valueSpecs.value(key);
    EXPECT_EQ(value.text, QStringLiteral("42%"));
    EXPECT_EQ(value.fgHex, QStringLiteral("#FFFFFFD9"));
    EXPECT_FALSE(value.bgHex.has_value());
    EXPECT_EQ(value.yOffset, 10);
}

TEST(MenubarController, DefaultLabelColoursDependOnTheTheme)
{
    TagSpec spec;
    EXPECT_EQ(MenubarController::defaultTagForeground(spec, true), QStringLiteral("#FFFFFFD9"));
    EXPECT_EQ(MenubarController::defaultTagForeground(spec, false), QStringLiteral("#000000B3"));
    EXPECT_FALSE(MenubarController::defaultTagBackground(spec, true).has_value());
    spec.showBg = true;
    EXPECT_EQ(MenubarController::defaultTagBackground(spec, true), QStringLiteral("#00000073"));
    EXPECT_EQ(MenubarController::defaultTagBackground(spec, false), QStringLiteral("#FFFFFF8C"));
    spec.fgHex = QStringLiteral("#112233");
    spec.bgHex = QStringLiteral("#445566");
    EXPECT_EQ(MenubarController::defaultTagForeground(spec, true), QStringLiteral("#112233"));
    EXPECT_EQ(MenubarController::defaultTagBackground(spec, true), QStringLiteral("#445566"));
}

TEST(MenubarController, SettingsChangesRedrawAfterFiftyMilliseconds)
{
    Rig rig;
    rig.controller->start();
    rig.settle();
    const int before = rig.controller->renderCount();
    rig.defaults->set(SettingsSchema::spriteYOffset, 1.5);
    rig.defaults->set(SettingsSchema::spriteYOffset, 2.5);
    // Still inside the debounce (judged before the loop runs: a busy machine
    // may hold a turn of it past the fifty milliseconds).
    EXPECT_EQ(rig.controller->renderCount(), before);
    ASSERT_TRUE(waitUntil([&] { return rig.controller->renderCount() == before + 1; }));
    spinFor(120);
    EXPECT_EQ(rig.controller->renderCount(), before + 1); // both changes, one redraw
}

TEST(MenubarController, APinStoredTwiceIsDrawnOnce)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.tile")), pin(cpu, QStringLiteral("viz.tile"))});
    rig.set(cpu, 0.5);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_EQ(rig.controller->runnerBridge().pinOrder, QStringList{QStringLiteral("cpu.total::viz.tile")});
    EXPECT_DOUBLE_EQ(rig.item->length(), 20);
}

TEST(MenubarController, PinsWithoutVisualizerProviderOrSnapshotAreSkipped)
{
    Rig rig;
    rig.pins->setPins({pin(cpu, QStringLiteral("viz.nothing")), pin(QStringLiteral("disk.total"), QStringLiteral("viz.tile")),
                       pin(net, QStringLiteral("viz.tile"))});
    rig.controller->start();
    rig.settle();
    EXPECT_TRUE(rig.controller->isFallbackShown()); // no snapshot yet
    rig.set(net, 0.1);
    ASSERT_TRUE(rig.flush());
    rig.settle();
    EXPECT_EQ(rig.controller->runnerBridge().pinOrder, QStringList{QStringLiteral("net.total::viz.tile")});
    EXPECT_FALSE(rig.controller->isFallbackShown());
}

// Writes the composed row for a few pin sets to the build folder, to look at.
TEST(MenubarController, WritesComposedRowsForAPersonToLookAt)
{
    Rig rig;
    auto pie = std::make_shared<PieVisualizer>();
    auto numberLabel = std::make_shared<NumberLabelVisualizer>();
    rig.visualizers->add(pie);
    rig.visualizers->add(numberLabel);
    rig.set(cpu, 0.62);
    rig.set(gpu, 0.18);
    rig.set(mem, 0.47);
    rig.set(net, 0.05);
    rig.controller->start();
    ASSERT_TRUE(rig.flush());
    rig.settle();

    const QString outDir = QStringLiteral(GAUGELET_BINARY_DIR "/menubar-rows");
    QDir().mkpath(outDir);
    struct Set {
        const char* name;
        QList<Pin> pins;
        bool labels;
    };
    const QList<Set> sets{
        {"idle", {}, false},
        {"pie-number", {pin(cpu, QStringLiteral("viz.pie")), pin(mem, QStringLiteral("viz.numberLabel"))}, false},
        {"sprite-tagged",
         {pin(mem, QStringLiteral("viz.runner.fox")), pin(cpu, QStringLiteral("viz.pie")), pin(gpu, QStringLiteral("viz.pie"))},
         true},
        {"four-static", {pin(cpu, QStringLiteral("viz.pie")), pin(gpu, QStringLiteral("viz.pie")),
                         pin(mem, QStringLiteral("viz.numberLabel")), pin(net, QStringLiteral("viz.numberLabel"))},
         true},
    };
    for (const Set& set : sets) {
        for (const Pin& p : set.pins) {
            for (auto ns : {TagSpec::Namespace::tag, TagSpec::Namespace::value}) {
                TagSpec spec;
                spec.shown = set.labels;
                spec.showBg = ns == TagSpec::Namespace::value;
                spec.yOffset = ns == TagSpec::Namespace::tag ? -7 : 7;
                TagSpec::save(spec, p.id(), ns, true);
            }
        }
        rig.pins->setPins(set.pins);
        rig.settle();
        rig.item->compositor()->flush();
        QImage row = rig.item->image2x();
        row.setDevicePixelRatio(1.0); // pixel for pixel on the sheet
        ASSERT_FALSE(row.isNull());
        EXPECT_EQ(row.height(), 44);
        if (!set.pins.isEmpty()) {
            EXPECT_EQ(row.width(), int(std::ceil(rig.item->length() * 2)));
        }
        // On a panel-coloured backdrop, so light tiles can be seen.
        QImage sheet(row.width() + 8, row.height() + 8, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(236, 236, 236));
        QPainter p(&sheet);
        p.drawImage(4, 4, row);
        p.end();
        EXPECT_TRUE(sheet.save(outDir + QStringLiteral("/row-%1@2x.png").arg(QString::fromLatin1(set.name))));
        // And four times larger, pixels kept square, for a close look.
        sheet.scaled(sheet.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
            .save(outDir + QStringLiteral("/row-%1-zoom.png").arg(QString::fromLatin1(set.name)));
        bool anyInk = false;
        for (int y = 0; y < row.height() && !anyInk; ++y)
            for (int x = 0; x < row.width() && !anyInk; ++x)
                anyInk = row.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(anyInk) << set.name;
    }
}
