#include "update/UserDefaultsCache.h"

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
    EXPECT_EQ(defaults->data("dev.gaugelet.killswitch.lastResponse"), QByteArray("{\"alpha\":true}"));
    EXPECT_EQ(defaults->date("dev.gaugelet.killswitch.lastFetchAt"), at);
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
    EXPECT_FALSE(defaults->hasUserValue(UserDefaultsCache::lastFetchAtKey));
    EXPECT_FALSE(defaults->hasUserValue(UserDefaultsCache::lastResponseKey));
}

TEST(UserDefaultsCache, ValuesOfAnotherTypeReadAsNothing)
{
    ScopedDefaults defaults;
    defaults->set(UserDefaultsCache::lastFetchAtKey, QStringLiteral("2026-01-01T00:00:00Z"));
    defaults->set(UserDefaultsCache::lastResponseKey, 42);
    UserDefaultsCache cache(defaults.get());
    EXPECT_EQ(cache.lastFetchAt(), std::nullopt);
    EXPECT_EQ(cache.lastResponse(), std::nullopt);
}
