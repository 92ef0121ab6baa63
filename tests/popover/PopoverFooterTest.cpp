#include "popover/PopoverFooter.h"

#include "PopoverFixture.h"
#include "popover/UpdateBadge.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::popover;

TEST(PopoverFooter, UpdateBadgeFollowsTheUpdater)
{
    PopoverWorld world;
    PopoverFooter footer(world.env(), {});
    EXPECT_EQ(footer.settingsButton()->text(), QStringLiteral("Settings…"));
    EXPECT_EQ(footer.quitButton()->text(), QStringLiteral("Quit"));
    EXPECT_FALSE(footer.isUpdateBadgeShown());

    struct Case {
        bool available;
        std::optional<QString> version;
        bool shown;
        QString title;
    };
    const Case cases[] = {
        {true, std::nullopt, true, QStringLiteral("Update available")},
        {true, QStringLiteral("1.4.2"), true, QStringLiteral("Update 1.4.2")},
        {false, QStringLiteral("1.4.2"), false, QString()},
    };
    for (const Case& c : cases) {
        world.updater->setLatestVersion(c.version);
        world.updater->setHasUpdateAvailable(c.available);
        footer.refresh();
        EXPECT_EQ(footer.isUpdateBadgeShown(), c.shown);
        if (c.shown) {
            EXPECT_EQ(footer.updateBadge()->text(), c.title);
        }
    }
    EXPECT_EQ(footer.updateBadge()->toolTip(), QStringLiteral("A new version is available. Click to see the update."));
}

TEST(PopoverFooter, NoUpdaterMeansNoBadge)
{
    PopoverWorld world;
    ViewEnvironment env = world.env();
    env.updater = nullptr;
    PopoverFooter footer(env, {});
    EXPECT_FALSE(footer.isUpdateBadgeShown());
}
