#include "stats/StatRegistry.h"

#include "schema/SettingsSchema.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatHistoryStore.h"

#include "TestProvider.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;
using test::TestProvider;

namespace {

struct Fixture {
    test::ScopedDefaults defaults;
    test::ManualMediaClock media{100.0};
    std::vector<std::shared_ptr<TestProvider>> providers;
    std::unique_ptr<StatRegistry> registry;

    explicit Fixture(std::vector<std::shared_ptr<TestProvider>> list) : providers(std::move(list))
    {
        StatRegistry::Providers base(providers.begin(), providers.end());
        registry = std::make_unique<StatRegistry>(base);
    }
};

std::vector<std::shared_ptr<TestProvider>> four(bool gated = false)
{
    return {std::make_shared<TestProvider>("cpu.total", "CPU", gated),
            std::make_shared<TestProvider>("gpu.total", "GPU", gated),
            std::make_shared<TestProvider>("memory.total", "MEM", gated),
            std::make_shared<TestProvider>("net.total", "NET", gated)};
}

} // namespace

TEST(StatRegistry, CoalescesFourProvidersIntoOneNoticeThenOneDictionary)
{
    Fixture f(four());
    QStringList order;
    QObject::connect(f.registry.get(), &StatRegistry::objectWillChange, [&] { order << "notice"; });
    StatRegistry::Snapshots published;
    QObject::connect(f.registry.get(), &StatRegistry::snapshotsPublisher, [&](const auto& s) {
        order << "dictionary";
        published = s;
    });
    f.registry->start(nullptr, nullptr, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return !order.isEmpty(); }));
    test::spinFor(400);
    EXPECT_EQ(order, (QStringList{"notice", "dictionary"}));
    ASSERT_EQ(published.size(), 4);
    EXPECT_EQ(published.value("memory.total").providerId, "memory.total");
    EXPECT_EQ(published.value("memory.total").badgeText, "MEM");
}

TEST(StatRegistry, PublishesOnceEverySampleLandedElseAQuarterSecondAfterTheFirst)
{
    // Samples that all answer at once are published on that turn of the loop.
    Fixture f(four());
    int published = 0;
    QObject::connect(f.registry.get(), &StatRegistry::snapshotsPublisher, [&](const auto&) { ++published; });
    f.registry->start(nullptr, nullptr, nullptr); // the test providers answer at once
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(published, 1);

    // One still in flight holds the window open: what landed is published a
    // quarter second after the first (in media time), not a second.
    auto fast = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto slow = std::make_shared<TestProvider>("gpu.total", "GPU", true);
    Fixture g({fast, slow});
    QList<double> publishedAt;
    QObject::connect(g.registry.get(), &StatRegistry::snapshotsPublisher,
                     [&](const auto&) { publishedAt << g.media.now(); });
    g.registry->start(nullptr, nullptr, nullptr); // at 100.0
    ASSERT_TRUE(test::waitUntil([&] { return g.registry->isFlushScheduled(); }));
    g.media.set(100.2);
    QCoreApplication::processEvents();
    g.media.set(100.25);
    ASSERT_TRUE(test::waitUntil([&] { return !publishedAt.isEmpty(); }));
    EXPECT_EQ(publishedAt, QList<double>{100.25});
    slow->open();
}

// Providers sampled on different ticks publish once per quarter second: the
// later ones wait for the quarter second after the earlier publish, while a
// second's samples taken together still go out in the wake-up that took them.
TEST(StatRegistry, ProvidersOnDifferentTicksPublishAtMostOncePerQuarterSecond)
{
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto gpu = std::make_shared<TestProvider>("gpu.total", "GPU");
    gpu->interval = 1.0625; // its ticks drift from the CPU's
    Fixture f({cpu, gpu});
    QList<double> publishedAt;
    QObject::connect(f.registry.get(), &StatRegistry::snapshotsPublisher,
                     [&](const auto&) { publishedAt << f.media.now(); });
    f.registry->start(nullptr, nullptr, nullptr); // both at 100.0
    ASSERT_TRUE(test::waitUntil([&] { return publishedAt.size() == 1; }));
    for (const double tick : {101.0, 101.0625, 102.125}) {
        f.media.set(tick);
        f.registry->tick(tick);
        QCoreApplication::processEvents(); // a landing before its quarter second is held
        QCoreApplication::processEvents();
        f.media.set(std::ceil(tick * 4) / 4);
        ASSERT_TRUE(test::waitUntil([&] { return !f.registry->isFlushScheduled(); }));
    }
    EXPECT_EQ(publishedAt, (QList<double>{100.0, 101.0, 101.25, 102.125}));
    EXPECT_EQ(cpu->started + gpu->started, 6);
}

TEST(StatRegistry, SnapshotAppliedWhileFlushIsQueuedJoinsThatFlush)
{
    auto fast = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto slow = std::make_shared<TestProvider>("gpu.total", "GPU", true);
    Fixture f({fast, slow});
    QList<StatRegistry::Snapshots> flushes;
    QObject::connect(f.registry.get(), &StatRegistry::snapshotsPublisher, [&](const auto& s) { flushes << s; });
    f.registry->start(nullptr, nullptr, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->isFlushScheduled(); }));
    slow->open(); // completes inside the 0.25 s window
    ASSERT_TRUE(test::waitUntil([&] { return !flushes.isEmpty(); }));
    test::spinFor(350);
    ASSERT_EQ(flushes.size(), 1);
    EXPECT_EQ(flushes[0].size(), 2);
    EXPECT_FALSE(f.registry->isDirty());
}

TEST(StatRegistry, SlowProviderIsNotRestartedUntilItsResultIsApplied)
{
    auto slow = std::make_shared<TestProvider>("cpu.total", "CPU", true);
    Fixture f({slow});
    f.registry->start(nullptr, nullptr, nullptr);
    EXPECT_EQ(slow->started, 1);
    f.media.advance(5.0);
    f.registry->tick();
    f.registry->tick();
    EXPECT_EQ(slow->started, 1);
    slow->open();
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
    f.registry->tick(); // 5 s since the last start
    EXPECT_EQ(slow->started, 2);
}

TEST(StatRegistry, IntervalIsMeasuredBetweenStartsInclusive)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU");
    Fixture f({p});
    f.registry->start(nullptr, nullptr, nullptr); // started at 100.0
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
    f.media.set(100.999);
    f.registry->tick();
    EXPECT_EQ(p->started, 1);
    f.media.set(101.0); // interval <= elapsed
    f.registry->tick();
    EXPECT_EQ(p->started, 2);
    EXPECT_EQ(f.registry->lastSnapshotAt().value("cpu.total"), 101.0);
}

TEST(StatRegistry, StartWithClockRunsOnePassAtOnceWithoutDoubleStarting)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU", true);
    Fixture f({p});
    RenderClock clock;
    f.registry->start(&clock, nullptr, nullptr);
    EXPECT_EQ(p->started, 1); // the start pass and the immediate tick pass together
    p->open();
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
}

TEST(StatRegistry, ClockTicksPassAtTheirDeadlinesSoAnEarlyWakeUpStillSamples)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU");
    Fixture f({p});
    RenderClock clock;
    clock.setHz(20); // deadlines at 100.05, 100.10, …
    clock.start();
    f.registry->start(&clock, nullptr, nullptr); // started at 100.0
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
    // A millisecond before the deadline a second on: that tick counts as 101.0.
    f.media.set(100.999);
    ASSERT_TRUE(test::waitUntil([&] { return p->started == 2; }));
    EXPECT_DOUBLE_EQ(f.registry->lastSnapshotAt().value("cpu.total"), 101.0);
}

TEST(StatRegistry, DisabledProvidersAreSkippedOnlyWithAnEnablementStore)
{
    auto a = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto b = std::make_shared<TestProvider>("gpu.total", "GPU");
    Fixture f({a, b});
    f.defaults->set(SettingsSchema::providerEnabled.key(u"gpu.total"), false);
    ProviderEnablementStore enablement;
    f.registry->start(nullptr, nullptr, &enablement);
    EXPECT_EQ(a->started, 1);
    EXPECT_EQ(b->started, 0);

    Fixture g(four());
    g.defaults->set(SettingsSchema::providerEnabled.key(u"gpu.total"), false);
    g.registry->start(nullptr, nullptr, nullptr);
    for (const auto& p : g.providers)
        EXPECT_EQ(p->started, 1) << p->id().toStdString();
}

TEST(StatRegistry, BadgeTextComesFromTheOverrideEvenWhenEmpty)
{
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto mem = std::make_shared<TestProvider>("memory.total", "MEM");
    Fixture f({cpu, mem});
    f.defaults->set(SettingsSchema::tagOverride.key(u"cpu.total"), QString(""));
    f.defaults->set(SettingsSchema::tagOverride.key(u"memory.total"), 5); // not a string: ignored
    f.registry->start(nullptr, nullptr, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->snapshots().size() == 2; }));
    EXPECT_EQ(f.registry->snapshots().value("cpu.total").badgeText, "");
    EXPECT_EQ(f.registry->snapshots().value("memory.total").badgeText, "MEM");
}

TEST(StatRegistry, AppliedSnapshotsAreRecordedInHistory)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU");
    Fixture f({p});
    StatHistoryStore history;
    f.registry->start(nullptr, &history, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
    p->nextValue = 0.75;
    f.media.advance(1.0);
    f.registry->tick();
    ASSERT_TRUE(test::waitUntil([&] { return f.registry->inflight().isEmpty(); }));
    const auto samples = history.slice("cpu.total")->samples();
    ASSERT_EQ(samples.size(), 2);
    EXPECT_EQ(samples[1].value, 0.75);
}

TEST(StatRegistry, LookupAndLateResultsAfterDestructionAreHarmless)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU", true);
    Fixture f({p});
    EXPECT_EQ(f.registry->provider(u"cpu.total"), p.get());
    EXPECT_EQ(f.registry->provider(u"nope"), nullptr);
    f.registry->start(nullptr, nullptr, nullptr);
    f.registry.reset(); // the sample is still in flight
    p->open();
    test::spinFor(50); // the late result is dropped, nothing crashes
    EXPECT_EQ(p->started, 1);
}

TEST(StatRegistry, StopDropsTheClockButInFlightSamplesStillLand)
{
    auto p = std::make_shared<TestProvider>("cpu.total", "CPU", true);
    Fixture f({p});
    RenderClock clock;
    f.registry->start(&clock, nullptr, nullptr);
    f.registry->stop();
    EXPECT_TRUE(f.registry->inflight().isEmpty());
    p->open();
    QSignalSpy published(f.registry.get(), &StatRegistry::snapshotsPublisher);
    ASSERT_TRUE(published.wait());
    EXPECT_EQ(f.registry->snapshots().size(), 1);
}
