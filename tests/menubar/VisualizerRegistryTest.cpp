#include "menubar/VisualizerRegistry.h"

#include "MenubarTestSupport.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <cmath>

using namespace gaugelet;
using test::FakeRunnerVisualizer;

namespace {

QStringList ids(const VisualizerRegistry& registry)
{
    QStringList out;
    for (const auto& v : registry.visualizers())
        out << v->id();
    return out;
}

} // namespace

TEST(VisualizerRegistry, StartsWithPieNumberLabelAndSparklineInThatOrder)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    EXPECT_EQ(ids(registry), (QStringList { "viz.pie", "viz.numberLabel", "viz.sparkline" }));
    EXPECT_EQ(registry.visualizer(u"viz.sparkline")->displayName(), "Sparkline");
    EXPECT_EQ(registry.visualizer(u"viz.numberLabel")->displayName(), "Number");
    EXPECT_EQ(registry.visualizer(u"viz.numberLabel")->chipLabel(), "%");
    EXPECT_EQ(registry.visualizer(u"viz.pie")->displayName(), "Pie");
    EXPECT_EQ(registry.visualizer(u"viz.pie")->chipLabel(), "Pie");
    EXPECT_TRUE(registry.visualizer(u"viz.numberLabel")->bakesOwnNameTag());
    EXPECT_FALSE(registry.visualizer(u"viz.pie")->bakesOwnNameTag());
}

TEST(VisualizerRegistry, LookupOfUnknownIdYieldsNone)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    EXPECT_EQ(registry.visualizer(u"viz.runner.nothing"), nullptr);
    EXPECT_EQ(registry.visualizer(u"viz.Pie"), nullptr);
    ASSERT_NE(registry.visualizer(u"viz.pie"), nullptr);
    EXPECT_EQ(registry.visualizer(u"viz.pie")->id(), "viz.pie");
}

TEST(VisualizerRegistry, AddingSameIdReplacesInPlaceAndKeepsOrder)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    auto fox = std::make_shared<FakeRunnerVisualizer>("fox", "Fox");
    auto hare = std::make_shared<FakeRunnerVisualizer>("hare", "Hare");
    registry.add(fox);
    registry.add(hare);
    QSignalSpy will(&registry, &VisualizerRegistry::objectWillChange);
    QSignalSpy did(&registry, &VisualizerRegistry::visualizersChanged);
    auto fox2 = std::make_shared<FakeRunnerVisualizer>("fox", "Fox 2");
    registry.add(fox2);
    EXPECT_EQ(ids(registry), (QStringList { "viz.pie", "viz.numberLabel", "viz.sparkline", "viz.runner.fox", "viz.runner.hare" }));
    EXPECT_EQ(registry.visualizer(u"viz.runner.fox"), fox2);
    EXPECT_EQ(will.count(), 1);
    EXPECT_EQ(did.count(), 1);
}

TEST(VisualizerRegistry, PublishesTheNewListBeforeStoringItAndTheCurrentOneOnSubscribing)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    auto fox = std::make_shared<FakeRunnerVisualizer>("fox", "Fox");
    QStringList order;
    QList<VisualizerPtr> announced;
    int storedDuringAnnouncement = -1;
    QObject::connect(&registry, &VisualizerRegistry::objectWillChange, [&] { order << "object"; });
    QObject::connect(&registry, &VisualizerRegistry::visualizersWillChange, [&](const QList<VisualizerPtr>& next) {
        order << "will";
        announced = next;
        storedDuringAnnouncement = int(registry.visualizers().size());
    });
    QObject::connect(&registry, &VisualizerRegistry::visualizersChanged, [&] { order << "did"; });
    QList<qsizetype> seen;
    QObject context;
    registry.subscribe(&context, [&](const QList<VisualizerPtr>& list) { seen << list.size(); });
    EXPECT_EQ(seen, QList<qsizetype>{3}) << "the current list at once";

    registry.add(fox);
    EXPECT_EQ(order, (QStringList{"object", "will", "did"}));
    EXPECT_EQ(announced.size(), 4);
    EXPECT_EQ(announced.last(), fox);
    EXPECT_EQ(storedDuringAnnouncement, 3);
    EXPECT_EQ(seen, (QList<qsizetype>{3, 4}));

    // Equal lists notify nobody.
    order.clear();
    registry.add(fox);
    registry.setVisualizers(registry.visualizers());
    EXPECT_TRUE(order.isEmpty());

    registry.remove(u"viz.runner.fox");
    EXPECT_EQ(seen, (QList<qsizetype>{3, 4, 3}));
}

TEST(VisualizerRegistry, RemoveWithdrawsAndPublishesOnlyOnChange)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    registry.add(std::make_shared<FakeRunnerVisualizer>("fox", "Fox"));
    QSignalSpy did(&registry, &VisualizerRegistry::visualizersChanged);
    EXPECT_TRUE(registry.remove(u"viz.runner.fox"));
    EXPECT_FALSE(registry.remove(u"viz.runner.fox"));
    EXPECT_EQ(did.count(), 1);
    EXPECT_EQ(registry.visualizer(u"viz.runner.fox"), nullptr);
}

TEST(VisualizerRegistry, SetListCollapsesDuplicateIds)
{
    test::ScopedDefaults defaults;
    auto a = std::make_shared<FakeRunnerVisualizer>("a", "A");
    auto b = std::make_shared<FakeRunnerVisualizer>("b", "B");
    auto a2 = std::make_shared<FakeRunnerVisualizer>("a", "A2");
    VisualizerRegistry registry({ a, b, a2, nullptr });
    EXPECT_EQ(ids(registry), (QStringList { "viz.runner.a", "viz.runner.b" }));
    EXPECT_EQ(registry.visualizer(u"viz.runner.a"), a2);
}

TEST(VisualizerRegistry, PinnedOnlyIdsArePieAndSparkline)
{
    EXPECT_EQ(VisualizerRegistry::pinnedOnlyIds(), (QSet<QString> { "viz.pie", "viz.sparkline" }));
}

TEST(VisualizerInterface, DefaultsLeaveTagPositionAndAnimationAlone)
{
    test::ScopedDefaults defaults;
    VisualizerRegistry registry;
    StatSnapshot snapshot;
    snapshot.providerId = "cpu.total";
    snapshot.value = 0.42;
    for (const auto& v : registry.visualizers()) {
        SCOPED_TRACE(v->id().toStdString());
        for (TagPosition p : { TagPosition::leading, TagPosition::trailing, TagPosition::behind })
            EXPECT_EQ(v->tagPosition(snapshot, p), p);
        EXPECT_FALSE(v->isAnimated());
        EXPECT_FALSE(v->group().has_value());
        EXPECT_EQ(v->framesPerSecond(snapshot, 15), 0.0);
        EXPECT_TRUE(v->frames(Theme::dark, snapshot).isEmpty());
        EXPECT_TRUE(std::isinf(v->cycleDuration(snapshot)) && v->cycleDuration(snapshot) > 0);
        EXPECT_EQ(v->verticalBias(), 0.0);
    }
    FakeRunnerVisualizer runner("fox", "Fox");
    EXPECT_EQ(runner.chipLabel(), "Fox");
    EXPECT_EQ(runner.tagPosition(snapshot, TagPosition::leading), TagPosition::leading);
}
