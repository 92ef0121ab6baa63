#include "store/UserDefaultsRemoteCatalogueCache.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(UserDefaultsRemoteCatalogueCache, ReadsMistypedValuesAsNoneAndClearsAllThreeKeys)
{
    ScopedDefaults defaults;
    UserDefaultsRemoteCatalogueCache cache(defaults.get());
    defaults->set(UserDefaultsRemoteCatalogueCache::lastFetchAtKey, QStringLiteral("yesterday"));
    EXPECT_EQ(cache.lastFetchAt(), std::nullopt);
    cache.setCatalogueData(QByteArray("doc"));
    cache.setCatalogueSignature(QByteArray(64, 's'));
    cache.setLastFetchAt(QDateTime::fromSecsSinceEpoch(100, Qt::UTC));
    EXPECT_EQ(defaults->date(UserDefaultsRemoteCatalogueCache::lastFetchAtKey), QDateTime::fromSecsSinceEpoch(100, Qt::UTC));
    cache.setCatalogueData(std::nullopt);
    EXPECT_FALSE(defaults->hasUserValue(UserDefaultsRemoteCatalogueCache::dataKey));
    cache.clear();
    EXPECT_FALSE(defaults->hasUserValue(UserDefaultsRemoteCatalogueCache::signatureKey));
    EXPECT_FALSE(defaults->hasUserValue(UserDefaultsRemoteCatalogueCache::lastFetchAtKey));
}
