#include "schema/SettingsSchema.h"
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
    defaults->set(SettingsSchema::providerEnabled.key(u"gpu.total"), false);
    defaults->set(SettingsSchema::providerEnabled.key(u"net.total"), QString("false"));
    ProviderEnablementStore store;
    QSignalSpy changes(&store, &ProviderEnablementStore::cacheChanged);
    EXPECT_TRUE(store.isEnabled("cpu.total"));
    EXPECT_FALSE(store.isEnabled("gpu.total"));
    EXPECT_TRUE(store.isEnabled("net.total"));
    EXPECT_EQ(changes.count(), 3);
    defaults->set(SettingsSchema::providerEnabled.key(u"cpu.total"), false); // takes effect next launch
    EXPECT_TRUE(store.isEnabled("cpu.total"));
    EXPECT_EQ(changes.count(), 3);
}

TEST(FPSLimit, StoredValuesMapToSteps)
{
    test::ScopedDefaults defaults;
    EXPECT_EQ(FPSLimit::current(), 1);
    defaults->set(SettingsSchema::fpsLimit, 10);
    EXPECT_EQ(FPSLimit::current(), 0);
    defaults->set(SettingsSchema::fpsLimit, 20);
    EXPECT_EQ(FPSLimit::current(), 2);
    for (int other : {15, 0, 30}) {
        defaults->set(SettingsSchema::fpsLimit, other);
        EXPECT_EQ(FPSLimit::current(), 1) << other;
    }
    // The lenient integer read: numeric text and reals give their integer.
    defaults->set(SettingsSchema::fpsLimit, QString("10"));
    EXPECT_EQ(FPSLimit::current(), 0);
    defaults->set(SettingsSchema::fpsLimit, 20.0);
    EXPECT_EQ(FPSLimit::current(), 2);
    defaults->set(SettingsSchema::fpsLimit, QString("ten"));
    EXPECT_EQ(FPSLimit::current(), 1);
    EXPECT_EQ(FPSLimit::framesPerSecond(0), 10);
    EXPECT_EQ(FPSLimit::framesPerSecond(2), 20);
}

TEST(Prefs, TypedReadersFallBackOnWrongTypesAndNonFiniteNumbers)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::visualizerSize.key(u"viz.pie"), 24.5);
    defaults->set(SettingsSchema::visualizerSize.key(u"viz.sparkline"), 30);
    defaults->set(SettingsSchema::visualizerSize.key(u"viz.numberLabel"), std::numeric_limits<double>::quiet_NaN());
    defaults->set(SettingsSchema::visualizerSize.key(u"viz.runner.fox"), -std::numeric_limits<double>::infinity());
    defaults->set(SettingsSchema::memoryShowCached, QString("yes"));
    EXPECT_EQ(Prefs::doubleValue(SettingsSchema::visualizerSize.key(u"viz.pie"), 18), 24.5);
    EXPECT_EQ(Prefs::doubleValue(SettingsSchema::visualizerSize.key(u"viz.sparkline"), 18), 30);
    EXPECT_EQ(Prefs::doubleValue(SettingsSchema::visualizerSize.key(u"viz.numberLabel"), 18), 18);
    EXPECT_EQ(Prefs::doubleValue(SettingsSchema::visualizerSize.key(u"viz.runner.fox"), 18), 18);
    EXPECT_EQ(Prefs::doubleValue("absent", 18), 18);
    EXPECT_FALSE(Prefs::boolValue(SettingsSchema::memoryShowCached, false));
    defaults->set(SettingsSchema::memoryShowCached, true);
    EXPECT_TRUE(Prefs::boolValue(SettingsSchema::memoryShowCached, false));
}
