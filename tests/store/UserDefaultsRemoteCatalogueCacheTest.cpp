#include "store/UserDefaultsRemoteCatalogueCache.h"

#include "TestSupport.h"
#include "schema/SettingsSchema.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(UserDefaultsRemoteCatalogueCache, ReadsMistypedValuesAsNoneAndClearsAllThreeKeys)
{
    ScopedDefaults defaults;
    UserDefaultsRemoteCatalogueCache cache(defaults.get());
    defaults->set(SettingsSchema::catalogueLastFetchAt, QStringLiteral("yesterday"));
    EXPECT_EQ(cache.lastFetchAt(), std::nullopt);
    cache.setCatalogueData(QByteArray("doc"));
    cache.setCatalogueSignature(QByteArray(64, 's'));
    cache.setLastFetchAt(QDateTime::fromSecsSinceEpoch(100, Qt::UTC));
    EXPECT_EQ(defaults->date(SettingsSchema::catalogueLastFetchAt), QDateTime::fromSecsSinceEpoch(100, Qt::UTC));
    cache.setCatalogueData(std::nullopt);
    EXPECT_FALSE(defaults->hasUserValue(SettingsSchema::catalogueCache));
    cache.clear();
    EXPECT_FALSE(defaults->hasUserValue(SettingsSchema::catalogueSignature));
    EXPECT_FALSE(defaults->hasUserValue(SettingsSchema::catalogueLastFetchAt));
}
