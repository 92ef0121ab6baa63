#include "update/UserDefaultsCache.h"

#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(UserDefaultsCache, StoresBodyAndFetchTimeUnderTheGateKeys)
{
    ScopedDefaults defaults;
    UserDefaultsCache cache(defaults.get());
    EXPECT_EQ(cache.lastResponse(), std::nullopt);
    EXPECT_EQ(cache.lastFetchAt(), std::nullopt);

    const QDateTime at = QDateTime::fromSecsSinceEpoch(1'800'000'123, Qt::UTC);
    cache.setLastFetchAt(at);
    cache.setLastResponse(QByteArray("{\"alpha\":true}"));
    EXPECT_EQ(defaults->data(SettingsSchema::killSwitchLastResponse), QByteArray("{\"alpha\":true}"));
    EXPECT_EQ(defaults->date(SettingsSchema::killSwitchLastFetchAt), at);
    EXPECT_EQ(cache.lastFetchAt(), at);
}

TEST(UserDefaultsCache, SettingNothingRemovesTheKey)
{
    ScopedDefaults defaults;
    UserDefaultsCache cache(defaults.get());
    cache.setLastFetchAt(QDateTime::currentDateTimeUtc());
    cache.setLastResponse(QByteArray("x"));
    cache.setLastFetchAt(std::nullopt);
    cache.setLastResponse(std::nullopt);
    EXPECT_FALSE(defaults->hasUserValue(SettingsSchema::killSwitchLastFetchAt));
    EXPECT_FALSE(defaults->hasUserValue(SettingsSchema::killSwitchLastResponse));
}

TEST(UserDefaultsCache, ValuesOfAnotherTypeReadAsNothing)
{
    ScopedDefaults defaults;
    defaults->set(SettingsSchema::killSwitchLastFetchAt, QStringLiteral("2026-01-01T00:00:00Z"));
    defaults->set(SettingsSchema::killSwitchLastResponse, 42);
    UserDefaultsCache cache(defaults.get());
    EXPECT_EQ(cache.lastFetchAt(), std::nullopt);
    EXPECT_EQ(cache.lastResponse(), std::nullopt);
}
