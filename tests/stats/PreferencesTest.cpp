#include "stats/FPSLimit.h"
#include "stats/Prefs.h"
#include "stats/ProviderEnablementStore.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

TEST(ProviderEnablementStore, AbsentOrNonBoolMeansEnabledAndAnswersAreCached)
{
    test::ScopedDefaults defaults;
    defaults->set("provider.gpu.total.enabled", false);
    defaults->set("provider.net.total.enabled", QString("false"));
    ProviderEnablementStore store;
    QSignalSpy changes(&store, &ProviderEnablementStore::cacheChanged);
    EXPECT_TRUE(store.isEnabled("cpu.total"));
    EXPECT_FALSE(store.isEnabled("gpu.total"));
    EXPECT_TRUE(store.isEnabled("net.total"));
    EXPECT_EQ(changes.count(), 3);
    defaults->set("provider.cpu.total.enabled", false); // takes effect next launch
    EXPECT_TRUE(store.isEnabled("cpu.total"));
    EXPECT_EQ(changes.count(), 3);
}

TEST(FPSLimit, StoredValuesMapToSteps)
{
    test::ScopedDefaults defaults;
    EXPECT_EQ(FPSLimit::current(), 1);
    defaults->set("global.fpsLimit", 10);
    EXPECT_EQ(FPSLimit::current(), 0);
    defaults->set("global.fpsLimit", 20);
    EXPECT_EQ(FPSLimit::current(), 2);
    for (int other : {15, 0, 30}) {
        defaults->set("global.fpsLimit", other);
        EXPECT_EQ(FPSLimit::current(), 1) << other;
    }
    // The lenient integer read: numeric text and reals give their integer.
    defaults->set("global.fpsLimit", QString("10"));
    EXPECT_EQ(FPSLimit::current(), 0);
    defaults->set("global.fpsLimit", 20.0);
    EXPECT_EQ(FPSLimit::current(), 2);
    defaults->set("global.fpsLimit", QString("ten"));
    EXPECT_EQ(FPSLimit::current(), 1);
    EXPECT_EQ(FPSLimit::framesPerSecond(0), 10);
    EXPECT_EQ(FPSLimit::framesPerSecond(2), 20);
}

TEST(Prefs, TypedReadersFallBackOnWrongTypesAndNonFiniteNumbers)
{
    test::ScopedDefaults defaults;
    defaults->set("visualizer.viz.pie.size", 24.5);
    defaults->set("visualizer.viz.sparkline.size", 30);
    defaults->set("visualizer.viz.numberLabel.size", std::numeric_limits<double>::quiet_NaN());
    defaults->set("visualizer.viz.runner.fox.size", -std::numeric_limits<double>::infinity());
    defaults->set("provider.memory.total.showCached", QString("yes"));
    EXPECT_EQ(Prefs::doubleValue("visualizer.viz.pie.size", 18), 24.5);
    EXPECT_EQ(Prefs::doubleValue("visualizer.viz.sparkline.size", 18), 30);
    EXPECT_EQ(Prefs::doubleValue("visualizer.viz.numberLabel.size", 18), 18);
    EXPECT_EQ(Prefs::doubleValue("visualizer.viz.runner.fox.size", 18), 18);
    EXPECT_EQ(Prefs::doubleValue("absent", 18), 18);
    EXPECT_FALSE(Prefs::boolValue("provider.memory.total.showCached", false));
    defaults->set("provider.memory.total.showCached", true);
    EXPECT_TRUE(Prefs::boolValue("provider.memory.total.showCached", false));
}
