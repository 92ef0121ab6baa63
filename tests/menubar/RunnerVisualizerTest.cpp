#include "menubar/RunnerVisualizer.h"
#include "RunnerTestSupport.h"
#include "menubar/RunnerView.h"
#include "menubar/views/RunnerConfigView.h"
#include "menubar/views/VisualizerViews.h"
#include "platform/core/Defaults.h"
#include "platform/core/NotificationCenter.h"
#include "schema/SettingsSchema.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::runner;

namespace {

StatSnapshot snapshot(double value, const QString& provider = QStringLiteral("cpu.total"))
{
    StatSnapshot s;
    s.providerId = provider;
    s.value = value;
    return s;
}

// A visualizer over four 12 × 10 frames, each with a square in a new place.
struct Rig {
    Rig(qint64 frameCount = 4, double defaultSize = 22)
    {
        for (int i = 0; i < frameCount; ++i)
            folder.writeFrame(QStringLiteral("r"), i, {12, 10}, QRect(i, 2, 6, 6));
        visualizer = std::make_unique<RunnerVisualizer>(folder.kind(QStringLiteral("r"), frameCount, defaultSize));
    }
    ScopedDefaults defaults;
    BundleFolder folder;
    std::unique_ptr<RunnerVisualizer> visualizer;
};

} // namespace

TEST(RunnerVisualizerPace, RateAndCycleFollowTheLoadAtLimit15)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    struct Row {
        double value;
        double cycle;
        double rate;
    };
    for (const Row& row : {Row{0, 1.5, 4}, Row{0.25, 0.847, 9.13}, Row{0.5, 0.544, 11.51}, Row{1, 0.1, 15}}) {
        EXPECT_NEAR(v.cycleDuration(snapshot(row.value)), row.cycle, 0.001) << row.value;
        EXPECT_NEAR(v.framesPerSecond(snapshot(row.value), 15), row.rate, 0.01) << row.value;
    }
    EXPECT_NEAR(v.cycleDuration(snapshot(1.4)), 0.1, 1e-12);
    EXPECT_DOUBLE_EQ(v.framesPerSecond(snapshot(1.4), 15), 15);
    EXPECT_DOUBLE_EQ(v.cycleDuration(snapshot(-2)), 1.5);
}

TEST(RunnerVisualizerPace, TheLimitWinsOverTheIdleFloor)
{
    Rig rig;
    for (double value : {0.0, 0.3, 0.7, 1.0})
        EXPECT_DOUBLE_EQ(rig.visualizer->framesPerSecond(snapshot(value), 3), 3) << value;
    // Loads above 1 run at the pace of 1: at low limits that is the limit.
    for (int limit : {2, 3})
        for (double value : {1.0, 1.4, 3.0, 1e9})
            EXPECT_DOUBLE_EQ(rig.visualizer->framesPerSecond(snapshot(value), limit), limit)
                << "limit " << limit << " load " << value;
}

TEST(RunnerVisualizerPace, ANaNLoadPlaysAsIdle)
{
    Rig rig;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_DOUBLE_EQ(rig.visualizer->framesPerSecond(snapshot(nan), 15), 4);
    EXPECT_DOUBLE_EQ(rig.visualizer->cycleDuration(snapshot(nan)), 1.5);
}

TEST(RunnerVisualizerTint, FramesAreTintedAtOrAboveTheThreshold)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    rig.defaults->set(SettingsSchema::runnerTintEnabled, true);
    rig.defaults->set(SettingsSchema::runnerTintThreshold, 0.5);
    const QList<QImage> normal = v.frames(Theme::light, snapshot(0.49));
    const QList<QImage> tinted = v.frames(Theme::light, snapshot(0.5));
    ASSERT_EQ(normal.size(), 4);
    ASSERT_EQ(tinted.size(), 4);
    EXPECT_NE(normal.first().cacheKey(), tinted.first().cacheKey());
    // The square's pixels turn red-ish; the transparent ones stay transparent.
    const QRect box = RunnerFrames::opaqueBox(normal.first()).value();
    const QColor plain = normal.first().pixelColor(box.center());
    const QColor red = tinted.first().pixelColor(box.center());
    EXPECT_GT(red.red(), plain.red());
    EXPECT_LT(red.green(), plain.green());
    EXPECT_EQ(red.alpha(), 255);
    EXPECT_EQ(tinted.first().size(), normal.first().size());
    EXPECT_EQ(qAlpha(tinted[3].pixel(0, 0)), 0);
}

TEST(RunnerVisualizerTint, AStoredThresholdOfZeroSwitchesAt08)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    rig.defaults->set(SettingsSchema::runnerTintEnabled, true);
    rig.defaults->set(SettingsSchema::runnerTintThreshold, 0.0);
    const qint64 normalKey = v.frames(Theme::dark, snapshot(0)).first().cacheKey();
    EXPECT_EQ(v.frames(Theme::dark, snapshot(0.79)).first().cacheKey(), normalKey);
    EXPECT_NE(v.frames(Theme::dark, snapshot(0.8)).first().cacheKey(), normalKey);
    rig.defaults->remove(SettingsSchema::runnerTintThreshold);
    EXPECT_EQ(v.frames(Theme::dark, snapshot(0.79)).first().cacheKey(), normalKey);
    EXPECT_NE(v.frames(Theme::dark, snapshot(0.8)).first().cacheKey(), normalKey);
    // The raw value counts, not the clamped one.
    EXPECT_NE(v.frames(Theme::dark, snapshot(3.0)).first().cacheKey(), normalKey);
}

TEST(RunnerVisualizerTint, WithTheTintOffFramesAreNeverTinted)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    rig.defaults->set(SettingsSchema::runnerTintThreshold, 0.1);
    const qint64 normalKey = v.frames(Theme::dark, snapshot(0)).first().cacheKey();
    for (double value : {0.5, 1.0, 9.0})
        EXPECT_EQ(v.frames(Theme::dark, snapshot(value)).first().cacheKey(), normalKey);
}

TEST(RunnerVisualizerFrames, EveryRequestReturnsTheSameImages)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    const QList<QImage> a = v.frames(Theme::light, snapshot(0.1));
    const QList<QImage> b = v.frames(Theme::dark, snapshot(0.9));
    ASSERT_EQ(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i].cacheKey(), b[i].cacheKey());
    // Cropped to the union box of all four frames.
    EXPECT_EQ(a.first().size(), QSize(9, 6));
}

TEST(RunnerVisualizerFrames, MissingFramesAreLeftOutInOrder)
{
    ScopedDefaults defaults;
    BundleFolder folder;
    for (int i : {0, 1, 3, 5})
        folder.writeFrame(QStringLiteral("r"), i, {12, 10}, QRect(0, 0, 2 + i, 2));
    RunnerVisualizer v(folder.kind(QStringLiteral("r"), 6));
    const QList<QImage> frames = v.frames(Theme::light, snapshot(0));
    ASSERT_EQ(frames.size(), 4);
    // Frame widths after the crop to x 0...6 are equal; the ink shows which frame is which.
    const QList<int> inkWidths{2, 3, 5, 7};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RunnerFrames::opaqueBox(frames[i])->width(), inkWidths[i]) << i;
}

TEST(RunnerVisualizerFrames, AKindWithoutFramesGivesAnEmptyList)
{
    Rig rig(0);
    EXPECT_TRUE(rig.visualizer->frames(Theme::light, snapshot(0.5)).isEmpty());
    rig.defaults->set(SettingsSchema::runnerTintEnabled, true);
    EXPECT_TRUE(rig.visualizer->frames(Theme::light, snapshot(0.95)).isEmpty());
}

TEST(RunnerVisualizerSize, TheStoredSizeIsClampedAndDefaultsToTheKinds)
{
    {
        Rig rig(1, 30);
        EXPECT_EQ(rig.visualizer->cachedSize(), 30);
        EXPECT_EQ(rig.defaults->real(SettingsSchema::visualizerSize.key(u"viz.runner.r")), 30.0); // registered
    }
    {
        Rig rig(1, 64);
        EXPECT_EQ(rig.visualizer->cachedSize(), 40);
    }
    {
        ScopedDefaults defaults;
        defaults->set(SettingsSchema::visualizerSize.key(u"viz.runner.r"), 12.0);
        BundleFolder folder;
        RunnerVisualizer v(folder.kind(QStringLiteral("r"), 1, 22));
        EXPECT_EQ(v.cachedSize(), 20);
        EXPECT_EQ(v.size(), QSizeF(20, 20));
    }
}

TEST(RunnerVisualizerSize, ASizeNoticeRereadsTheSetting)
{
    Rig rig;
    rig.defaults->set(SettingsSchema::visualizerSize.key(u"viz.runner.r"), 33.0);
    EXPECT_EQ(rig.visualizer->cachedSize(), 22); // not before the notice
    NotificationCenter::defaultCenter().post(QStringLiteral("runner.size.changed.viz.runner.r"));
    EXPECT_EQ(rig.visualizer->cachedSize(), 33);
    NotificationCenter::defaultCenter().post(QStringLiteral("runner.size.changed.viz.runner.other"));
    EXPECT_EQ(rig.visualizer->cachedSize(), 33);
}

TEST(RunnerVisualizerConfig, TheConfigViewWritesTheSizeAndTellsTheVisualizer)
{
    Rig rig;
    std::unique_ptr<QWidget> widget(VisualizerViews::makeConfigView(*rig.visualizer));
    auto* view = qobject_cast<RunnerConfigView*>(widget.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->visualizerId(), QStringLiteral("viz.runner.r"));
    EXPECT_EQ(view->kind(), rig.visualizer->kind());
    EXPECT_EQ(view->slider()->minimum(), 20);
    EXPECT_EQ(view->slider()->maximum(), 40);
    EXPECT_EQ(view->valueLabel()->text(), QStringLiteral("22pt"));
    EXPECT_EQ(view->toolTip(), QStringLiteral("Sprite display size in points. Range 20-40pt (= 40-80px on HiDPI). "
                                              "Beyond ~22pt the sprite clips vertically against the panel."));
    view->slider()->setValue(31);
    EXPECT_EQ(rig.defaults->real(SettingsSchema::visualizerSize.key(u"viz.runner.r")), 31.0);
    EXPECT_EQ(rig.visualizer->cachedSize(), 31);
    EXPECT_EQ(view->valueLabel()->text(), QStringLiteral("31pt"));
}

TEST(RunnerVisualizerViews, ViewsOfOneProviderShareAnAnimator)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    auto a = v.makeView(snapshot(0.2), Theme::light);
    auto b = v.makeView(snapshot(0.4), Theme::dark);
    auto c = v.makeView(snapshot(0.4, QStringLiteral("gpu.total")), Theme::dark);
    auto* ra = dynamic_cast<RunnerView*>(a.get());
    auto* rb = dynamic_cast<RunnerView*>(b.get());
    auto* rc = dynamic_cast<RunnerView*>(c.get());
    ASSERT_TRUE(ra && rb && rc);
    EXPECT_EQ(ra->animator(), rb->animator());
    EXPECT_NE(ra->animator(), rc->animator());
    EXPECT_EQ(ra->animator(), v.animator(QStringLiteral("cpu.total")));
    EXPECT_EQ(ra->size(), QSizeF(22, 22));
    EXPECT_EQ(ra->frames(), v.runnerFrames());
}

TEST(RunnerVisualizerViews, AViewStoresTheClampedLoad)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    v.makeView(snapshot(1.7), Theme::light);
    EXPECT_EQ(v.animator(QStringLiteral("cpu.total"))->lastValue(), 1.0);
    v.makeView(snapshot(-0.3), Theme::light);
    EXPECT_EQ(v.animator(QStringLiteral("cpu.total"))->lastValue(), 0.0);
    v.makeView(snapshot(0.42), Theme::light);
    EXPECT_EQ(v.animator(QStringLiteral("cpu.total"))->lastValue(), 0.42);
}

TEST(RunnerVisualizerViews, AViewSetsTheFrameRateCapFromTheSetting)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    RunnerAnimator* animator = v.animator(QStringLiteral("cpu.total"));
    EXPECT_EQ(animator->fpsLimit(), 15);
    rig.defaults->set(SettingsSchema::fpsLimit, 20);
    EXPECT_EQ(animator->fpsLimit(), 15); // only on the next view
    v.makeView(snapshot(0.1), Theme::light);
    EXPECT_EQ(animator->fpsLimit(), 20);
    rig.defaults->set(SettingsSchema::fpsLimit, 12);
    v.makeView(snapshot(0.1), Theme::light);
    EXPECT_EQ(animator->fpsLimit(), 15);
    rig.defaults->set(SettingsSchema::fpsLimit, 10);
    v.makeView(snapshot(0.1), Theme::light);
    EXPECT_EQ(animator->fpsLimit(), 10);
}

TEST(RunnerVisualizerViews, TheRenderKeyFollowsProviderAndFrame)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    const qint64 idle = v.renderKey(snapshot(0));
    EXPECT_EQ(v.renderKey(snapshot(0.9)), idle); // the value is not part of it
    EXPECT_NE(v.renderKey(snapshot(0, QStringLiteral("gpu.total"))), idle);
    v.animator(QStringLiteral("cpu.total"))->setFrame(3);
    EXPECT_NE(v.renderKey(snapshot(0)), idle);
}


TEST(RunnerVisualizerFrames, FramesAreDecodedWhenFirstDrawnNotWhenInstalled)
{
    Rig rig;
    RunnerVisualizer& v = *rig.visualizer;
    // Installed, listed and sized: nothing decoded yet.
    EXPECT_EQ(v.size(), QSizeF(22, 22));
    EXPECT_FALSE(v.displayName().isEmpty());
    auto view = v.makeView(snapshot(0.3), Theme::light);
    EXPECT_FALSE(v.runnerFrames()->isLoaded());
    // The first draw decodes them, once.
    const QList<QImage> frames = v.frames(Theme::light, snapshot(0.3));
    EXPECT_TRUE(v.runnerFrames()->isLoaded());
    ASSERT_EQ(frames.size(), 4);
    EXPECT_EQ(frames.first().cacheKey(), v.frames(Theme::dark, snapshot(0.5)).first().cacheKey());
}
