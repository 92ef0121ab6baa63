#include "menubar/MenuBarRenderCache.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/style/Appearance.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

struct LightAppearance {
    LightAppearance() { Appearance::instance()->setOverrideForTesting(false); }
    ~LightAppearance() { Appearance::instance()->setOverrideForTesting(std::nullopt); }
};

void fill(MenuBarRenderCache& cache)
{
    cache.pinImages.insert(1, {QImage(2, 2, QImage::Format_ARGB32)});
    cache.pinImages.insert(2, {QImage(2, 2, QImage::Format_ARGB32)});
}

} // namespace

TEST(MenuBarRenderCache, StartsFromTheCurrentThemeAndThickness)
{
    LightAppearance light;
    MenuBarRenderCache cache;
    EXPECT_EQ(cache.cachedTheme, Theme::light);
    EXPECT_EQ(cache.cachedThickness, 22);
    EXPECT_TRUE(cache.pinImages.isEmpty());
}

TEST(MenuBarRenderCache, AnAppearanceSwitchFlipsTheThemeAndEmptiesTheImages)
{
    LightAppearance light;
    MenuBarRenderCache cache;
    QSignalSpy invalidated(&cache, &MenuBarRenderCache::invalidated);
    fill(cache);
    Appearance::instance()->setOverrideForTesting(true);
    // The handler hops onto the main thread's queue first.
    EXPECT_EQ(cache.pinImages.size(), 2);
    ASSERT_TRUE(test::waitUntil([&] { return invalidated.count() == 1; }));
    EXPECT_EQ(cache.cachedTheme, Theme::dark);
    EXPECT_TRUE(cache.pinImages.isEmpty());

    fill(cache);
    Appearance::instance()->setOverrideForTesting(false);
    ASSERT_TRUE(test::waitUntil([&] { return invalidated.count() == 2; }));
    EXPECT_EQ(cache.cachedTheme, Theme::light);
    EXPECT_TRUE(cache.pinImages.isEmpty());
}

TEST(MenuBarRenderCache, AScreenChangeEmptiesTheImages)
{
    LightAppearance light;
    MenuBarRenderCache cache;
    QSignalSpy invalidated(&cache, &MenuBarRenderCache::invalidated);
    fill(cache);
    ScreenFacts facts;
    facts.frame = QRectF(0, 0, 3840, 2160);
    facts.visibleFrame = facts.frame;
    facts.backingScaleFactor = 2.0;
    ScreenInfo::instance()->setMainScreenForTesting(facts);
    ASSERT_TRUE(test::waitUntil([&] { return invalidated.count() >= 1; }));
    EXPECT_TRUE(cache.pinImages.isEmpty());
    EXPECT_EQ(cache.cachedThickness, ScreenInfo::statusBarThickness);
    ScreenInfo::instance()->resetOverrideForTesting();
}
