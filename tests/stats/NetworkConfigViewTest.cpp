#include "stats/views/NetworkConfigView.h"

#include "TestSupport.h"
#include "schema/SettingsSchema.h"

#include <QCheckBox>
#include <QLabel>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(NetworkConfigView, SwitchDefaultsOnAndWritesThrough)
{
    test::ScopedDefaults defaults;
    NetworkConfigView view({});
    QCheckBox* sw = view.mergedSwitch();
    EXPECT_EQ(sw->text(), "Show merged total in popover");
    EXPECT_TRUE(sw->isChecked()); // absent key: true
    EXPECT_FALSE(defaults->boolean(SettingsSchema::statShowMerged));

    sw->click();
    EXPECT_EQ(defaults->boolean(SettingsSchema::statShowMerged), std::optional<bool>(false));
    sw->click();
    EXPECT_EQ(defaults->boolean(SettingsSchema::statShowMerged), std::optional<bool>(true));
}

TEST(NetworkConfigView, FollowsTheStoredSetting)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::statShowMerged, false);
    NetworkConfigView view({});
    EXPECT_FALSE(view.mergedSwitch()->isChecked());
    defaults->set(SettingsSchema::statShowMerged, true); // changed elsewhere (a restored backup)
    EXPECT_TRUE(view.mergedSwitch()->isChecked());
}

TEST(NetworkConfigView, HelpTextNamesNetworkInBold)
{
    test::ScopedDefaults defaults;
    NetworkConfigView view({});
    auto* help = view.findChild<QLabel*>("help");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->text().contains("<b>Network</b>"));
    EXPECT_TRUE(help->text().startsWith("Hides the small \"X KB/s\" label next to"));
    EXPECT_TRUE(help->text().endsWith("are independent and stay visible."));
    view.resize(360, 90);
    view.grab().save(QStringLiteral(GAUGELET_BINARY_DIR "/NetworkConfigView.png"));
}
