#include "SettingsTestSupport.h"

#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"
#include "settings/stats/PresetCard.h"
#include "settings/stats/PresetsSection.h"
#include "stats/StatRegistry.h"
#include "views/ToolTip.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

Pin pin(const char* provider, const char* viz)
{
    return Pin{QString::fromLatin1(provider), QString::fromLatin1(viz)};
}

QList<bool> currentMarks(const PresetsSection& section)
{
    QList<bool> marks;
    for (PresetCard* card : section.cards())
        marks.append(card->isCurrent());
    return marks;
}

} // namespace

TEST(PresetsSection, ShowsThreeCardsInOrder)
{
    test::SettingsWorld world;
    PresetsSection section(world.env());
    EXPECT_EQ(section.headerLabel()->text(), QStringLiteral("Quick looks"));
    ASSERT_EQ(section.cards().size(), 3);
    QStringList names;
    QStringList blurbs;
    for (PresetCard* card : section.cards()) {
        names.append(card->preset().name);
        blurbs.append(card->preset().blurb);
    }
    EXPECT_EQ(names, (QStringList{"Simple", "Enhanced", "All-in"}));
    EXPECT_EQ(blurbs, (QStringList{"Fox on CPU", "MEM + CPU, values", "3 sprites + number"}));
}

TEST(PresetsSection, MarksTheMatchingPresetOnlyInSlotOrder)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    world.pins->setPins({pin("memory.total", "viz.runner.piglet"), pin("cpu.total", "viz.runner.hare")});
    PresetsSection section(world.env());
    EXPECT_EQ(currentMarks(section), (QList<bool>{false, true, false}));
    const auto tip = [](const char* text) { return ToolTip::fromPlainText(QString::fromUtf8(text)); };
    EXPECT_EQ(section.cards()[1]->toolTip(), tip("This is what your panel shows right now."));
    EXPECT_EQ(section.cards()[0]->toolTip(), tip("Use the Simple look."));
    EXPECT_EQ(section.cards()[2]->toolTip(), tip("Use the All-in look."));

    // The same tiles in another order are not the preset.
    world.pins->setPins({pin("cpu.total", "viz.runner.hare"), pin("memory.total", "viz.runner.piglet")});
    ASSERT_TRUE(test::waitUntil([&] { return !section.cards()[1]->isCurrent(); }));
    EXPECT_EQ(currentMarks(section), (QList<bool>{false, false, false}));
    EXPECT_EQ(section.cards()[1]->toolTip(), tip("Use the Enhanced look."));
}

TEST(PresetsSection, ClickingTheCurrentCardAppliesAgainAndResetsStyling)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    PresetsSection section(world.env());
    QTest::mouseClick(section.cards()[1], Qt::LeftButton);
    EXPECT_EQ(world.pins->pins(),
              (QList<Pin>{pin("memory.total", "viz.runner.piglet"), pin("cpu.total", "viz.runner.hare")}));
    EXPECT_EQ(currentMarks(section), (QList<bool>{false, true, false}));

    const QString pigletId = pin("memory.total", "viz.runner.piglet").id();
    world.defaults()->set(TagSpec::key(pigletId, TagSpec::Namespace::tag, u"yOffset"), 4.0);
    world.defaults()->set(TagSpec::key(pigletId, TagSpec::Namespace::tag, u"fgHex"), QStringLiteral("#FF0000FF"));
    world.defaults()->set(TagSpec::key(pigletId, TagSpec::Namespace::value, u"shown"), false);
    world.defaults()->set(TagSpec::key(pigletId, TagSpec::Namespace::tag, u"shown"), true);
    QTest::mouseClick(section.cards()[1], Qt::LeftButton);
    const TagSpec tag = TagSpec::load(pigletId, QStringLiteral("memory.total"), QStringLiteral("MEM"),
                                      TagSpec::Namespace::tag);
    const TagSpec value = TagSpec::load(pigletId, QStringLiteral("memory.total"), QStringLiteral("MEM"),
                                        TagSpec::Namespace::value);
    EXPECT_EQ(tag.yOffset, -10);
    EXPECT_EQ(tag.fgHex, QString());
    EXPECT_FALSE(tag.shown); // a runner shows its value under the sprite, without the tag
    EXPECT_TRUE(value.shown);
    EXPECT_EQ(value.yOffset, 10);
    EXPECT_EQ(currentMarks(section), (QList<bool>{false, true, false}));
    EXPECT_TRUE(world.defaults()->object(SettingsSchema::pinnedSlots).isValid());
}

TEST(PresetsSection, PresetWithoutUsableSlotEmptiesThePinsAndIsCurrent)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners({QStringLiteral("hare"), QStringLiteral("piglet")}));
    PresetsSection section(world.env());
    QTest::mouseClick(section.cards()[0], Qt::LeftButton);
    EXPECT_TRUE(world.pins->pins().isEmpty());
    EXPECT_EQ(currentMarks(section), (QList<bool>{true, false, false}));

    // With no runner installed, both runner-only presets are current while nothing is pinned.
    test::SettingsWorld bare;
    bare.pins->setPins({});
    PresetsSection bareSection(bare.env());
    EXPECT_EQ(currentMarks(bareSection), (QList<bool>{true, true, false}));
}
