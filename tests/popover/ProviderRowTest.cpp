#include "popover/ProviderRow.h"

#include "PopoverFixture.h"
#include "popover/PinBar.h"
#include "popover/PinChip.h"
#include "popover/ValueChip.h"
#include "schema/SettingsSchema.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::popover;

TEST(ProviderRow, BeforeTheFirstSnapshotShowsNameAndProgressOnly)
{
    PopoverWorld world;
    ProviderRow row(world.providers[0], world.env());
    EXPECT_EQ(row.nameLabel()->text(), QStringLiteral("CPU"));
    EXPECT_FALSE(row.hasSnapshot());
    EXPECT_NE(row.progressIndicator(), nullptr);
    EXPECT_FALSE(row.isChipShown());
    EXPECT_EQ(row.detailView(), nullptr);
    EXPECT_EQ(row.pinBar(), nullptr);
    EXPECT_EQ(world.providers[0]->detailRequests, 0) << "no detail view without a snapshot";
}

TEST(ProviderRow, AsksForTheDetailViewOnceAndHandsItNewerSnapshots)
{
    PopoverWorld world;
    world.providers[0]->withDetail = true;
    ProviderRow row(world.providers[0], world.env());
    world.publish();
    row.refresh();
    ASSERT_TRUE(row.hasSnapshot());
    EXPECT_EQ(row.progressIndicator(), nullptr);
    ASSERT_NE(row.detailView(), nullptr);
    ASSERT_NE(row.pinBar(), nullptr);
    EXPECT_TRUE(row.isChipShown());
    EXPECT_EQ(row.chip()->text(), QStringLiteral("25%"));
    CountingDetailView* detail = world.providers[0]->lastDetail;
    EXPECT_EQ(detail->updates, 0);

    for (double v : {0.5, 0.75}) {
        world.providers[0]->value = v;
        world.publish();
        row.refresh();
    }
    row.refresh(); // nothing newer
    EXPECT_EQ(world.providers[0]->detailRequests, 1);
    EXPECT_EQ(row.detailView(), detail) << "the detail view is never rebuilt";
    EXPECT_EQ(detail->updates, 2);
    EXPECT_DOUBLE_EQ(detail->lastValue, 0.75);
    EXPECT_EQ(row.chip()->text(), QStringLiteral("75%"));
}

TEST(ProviderRow, ChipFollowsTheMergedSettingForMergedProvidersOnly)
{
    PopoverWorld world;
    world.publish();
    ProviderRow cpu(world.providers[0], world.env());
    ProviderRow net(world.providers[3], world.env());
    struct Case {
        std::optional<bool> showMerged;
        bool netShown;
    };
    for (const Case& c : {Case{std::nullopt, true}, Case{true, true}, Case{false, false}}) {
        if (c.showMerged)
            world.defaults->set(SettingsSchema::statShowMerged, *c.showMerged);
        cpu.refresh();
        net.refresh();
        EXPECT_TRUE(cpu.isChipShown());
        EXPECT_EQ(net.isChipShown(), c.netShown);
    }
    EXPECT_FALSE(ProviderRow::chipShown(*world.providers[3], false, true)) << "no snapshot, no chip";
}

TEST(ProviderRow, ChipLookFollowsTheFourDisplaySettings)
{
    PopoverWorld world;
    world.publish();
    ProviderRow row(world.providers[0], world.env());
    const QColor primary = row.palette().color(QPalette::WindowText);
    struct Case {
        const char* name;
        bool bg;
        QString bgHex;
        bool fg;
        QString fgHex;
        std::optional<QColor> background;
        std::optional<QColor> foreground;
        QMargins inset;
    };
    QColor translucent(0x11, 0x22, 0x33, 0x80);
    const Case cases[] = {
        {"plain", false, QStringLiteral("#FF0000"), false, QStringLiteral("#00FF00"), std::nullopt, std::nullopt, {}},
        {"gray capsule", true, QString(), false, QString(), ValueChip::fallbackBackground(), std::nullopt, {8, 2, 8, 2}},
        {"colour capsule", true, QStringLiteral("#11223380"), false, QString(), translucent, std::nullopt, {8, 2, 8, 2}},
        {"bad fg", false, QString(), true, QStringLiteral("zzz"), std::nullopt, primary, {}},
        {"fg colour", false, QString(), true, QStringLiteral("#00FF00"), std::nullopt, QColor(0, 255, 0), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        world.defaults->set(SettingsSchema::statBgEnabled, c.bg);
        world.defaults->set(SettingsSchema::statBgHex, c.bgHex);
        world.defaults->set(SettingsSchema::statFgEnabled, c.fg);
        world.defaults->set(SettingsSchema::statFgHex, c.fgHex);
        row.refresh();
        EXPECT_EQ(row.chip()->background(), c.background);
        EXPECT_EQ(row.chip()->foreground(), c.foreground);
        EXPECT_EQ(row.chip()->inset(), c.inset);
    }
    EXPECT_NEAR(ValueChip::fallbackBackground().alphaF(), 0.28, 0.01);
}

TEST(ProviderRow, ChipPositionFollowsTheStoredSettingAndUnknownValuesReadAsTrailing)
{
    PopoverWorld world;
    world.publish();
    ProviderRow row(world.providers[0], world.env());
    const QList<std::pair<QVariant, StatLabelPosition>> cases = {
        {QStringLiteral("adjacent"), StatLabelPosition::adjacent},
        {QStringLiteral("trailing"), StatLabelPosition::trailing},
        {QStringLiteral("adjacent"), StatLabelPosition::adjacent},
        {QStringLiteral("sideways"), StatLabelPosition::trailing},
        {QStringLiteral("adjacent"), StatLabelPosition::adjacent},
        {qint64(1), StatLabelPosition::trailing},
        {QVariant(), StatLabelPosition::trailing},
    };
    for (const auto& [stored, expected] : cases) {
        world.defaults->set(SettingsSchema::statLabelPosition, stored);
        row.refresh();
        EXPECT_EQ(row.chipPosition(), expected) << stored.toString().toStdString();
    }
}

TEST(ProviderRow, PinBarOffersFollowExclusionsAndPinnedOnlyVisualizers)
{
    PopoverWorld world;
    world.pins->setPins({});
    const QStringList all = {QStringLiteral("viz.pie"), QStringLiteral("viz.numberLabel"),
                             QStringLiteral("viz.sparkline"), QStringLiteral("viz.runner.fox")};
    ASSERT_EQ(world.visualizers->visualizers().size(), 4);
    auto offers = [&](int provider) {
        return PinBar::offeredVisualizerIds(*world.providers[provider], *world.visualizers, *world.pins);
    };
    // Pie and sparkline are offered only while pinned; the network never gets a pie.
    EXPECT_EQ(offers(0), (QStringList{QStringLiteral("viz.numberLabel"), QStringLiteral("viz.runner.fox")}));
    world.pins->setPins({Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.sparkline")},
                         Pin{QStringLiteral("net.total"), QStringLiteral("viz.pie")}});
    EXPECT_EQ(offers(0), (QStringList{QStringLiteral("viz.numberLabel"), QStringLiteral("viz.sparkline"),
                                      QStringLiteral("viz.runner.fox")}));
    EXPECT_EQ(offers(1), (QStringList{QStringLiteral("viz.numberLabel"), QStringLiteral("viz.runner.fox")}))
        << "another provider's pin offers nothing";
    EXPECT_EQ(offers(3), (QStringList{QStringLiteral("viz.numberLabel"), QStringLiteral("viz.runner.fox")}));
}

TEST(ProviderRow, PinChipsPreviewHalfLoadShowPinnedStateAndToggle)
{
    PopoverWorld world;
    world.pins->setPins({Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.sparkline")}});
    world.publish();
    ProviderRow row(world.providers[0], world.env());
    ASSERT_NE(row.pinBar(), nullptr);
    QList<PinChip*> chips = row.pinBar()->chips();
    ASSERT_EQ(chips.size(), 3);
    EXPECT_EQ(chips[0]->visualizerId(), QStringLiteral("viz.numberLabel"));
    EXPECT_TRUE(chips[0]->previewImage().isNull());
    EXPECT_FALSE(chips[0]->previewLabel().isEmpty()) << "a static visualizer shows its chip label";
    EXPECT_EQ(chips[1]->visualizerId(), QStringLiteral("viz.sparkline"));
    EXPECT_TRUE(chips[1]->isPinned());
    EXPECT_EQ(chips[2]->visualizerId(), QStringLiteral("viz.runner.fox"));
    EXPECT_FALSE(chips[2]->previewImage().isNull()) << "a runner shows its first frame";
    EXPECT_DOUBLE_EQ(world.fox->lastValue, 0.5);
    EXPECT_EQ(world.fox->lastTheme, Theme::dark) << "gum.dark is a dark palette";
    EXPECT_TRUE(chips[2]->toolTip().contains(QLatin1String("Fox"))) << "the tooltip names the visualizer";

    // Removing the sparkline pin withdraws its offer; pinning the fox marks it.
    chips[1]->click();
    EXPECT_TRUE(world.pins->pins().isEmpty());
    chips[2]->click();
    ASSERT_EQ(world.pins->pins().size(), 1);
    EXPECT_EQ(world.pins->pins()[0].visualizerId, QStringLiteral("viz.runner.fox"));
    row.refresh();
    chips = row.pinBar()->chips();
    ASSERT_EQ(chips.size(), 2);
    EXPECT_TRUE(chips[1]->isPinned());
    EXPECT_FALSE(chips[0]->isPinned());
}
