#include "menubar/TagSpec.h"

#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace gaugelet;

namespace {

const QString pin = QStringLiteral("cpu.total::viz.pie");
constexpr auto Tag = TagSpec::Namespace::tag;
constexpr auto Value = TagSpec::Namespace::value;

TagSpec load(TagSpec::Namespace ns) { return TagSpec::load(pin, "cpu.total", "CPU", ns); }

} // namespace

TEST(TagSpecKeys, NameThePinTheLabelAndTheField)
{
    EXPECT_EQ(TagSpec::key(pin, Tag, u"position"), SettingsSchema::pinLabel.key(u"cpu.total::viz.pie.tag.position"));
    EXPECT_EQ(TagSpec::key(pin, Value, u"yOffset"), SettingsSchema::pinLabel.key(u"cpu.total::viz.pie.value.yOffset"));
    EXPECT_EQ(TagSpec::fieldNames(),
              (QStringList { "shown", "text", "position", "orientation", "fgHex", "bgHex", "showBg", "yOffset" }));
    EXPECT_EQ(rawValue(TagPosition::behind), "behind");
    EXPECT_EQ(tagPositionFromRaw(u"centre"), std::nullopt);
    EXPECT_EQ(tagOrientationFromRaw(u"vertical"), TagOrientation::vertical);
    EXPECT_EQ(tagSpecNamespaceFromRaw(u"value"), Value);
}

TEST(TagSpecDefaults, NothingStoredGivesBehindHorizontalAndOpposedOffsets)
{
    test::ScopedDefaults defaults;
    const TagSpec tag = load(Tag);
    EXPECT_FALSE(tag.shown);
    EXPECT_EQ(tag.text, "CPU");
    EXPECT_EQ(tag.position, TagPosition::behind);
    EXPECT_EQ(tag.orientation, TagOrientation::horizontal);
    EXPECT_EQ(tag.fgHex, "");
    EXPECT_EQ(tag.bgHex, "");
    EXPECT_FALSE(tag.showBg);
    EXPECT_EQ(tag.yOffset, -10);
    TagSpec expectedValue = tag;
    expectedValue.yOffset = 10;
    EXPECT_EQ(load(Value), expectedValue);
}

TEST(TagSpecDefaults, OffsetFollowsStoredOrientationAndPosition)
{
    test::ScopedDefaults defaults;
    defaults->set(TagSpec::key(pin, Tag, u"orientation"), "vertical");
    defaults->set(TagSpec::key(pin, Value, u"orientation"), "vertical");
    EXPECT_EQ(load(Tag).yOffset, -20);
    EXPECT_EQ(load(Value).yOffset, 20);
    defaults->set(TagSpec::key(pin, Tag, u"position"), "leading");
    defaults->set(TagSpec::key(pin, Value, u"position"), "trailing");
    EXPECT_EQ(load(Tag).yOffset, 0);
    EXPECT_EQ(load(Value).yOffset, 0);
}

TEST(TagSpecDefaults, StoredZeroOffsetIsKept)
{
    test::ScopedDefaults defaults;
    defaults->set(TagSpec::key(pin, Tag, u"yOffset"), 0.0);
    EXPECT_EQ(load(Tag).yOffset, 0);
    defaults->set(TagSpec::key(pin, Tag, u"yOffset"), qint64(3));
    EXPECT_EQ(load(Tag).yOffset, 3);
}

TEST(TagSpecDefaults, NonFiniteStoredOffsetReadsAsDefault)
{
    test::ScopedDefaults defaults;
    for (double bad : { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity() }) {
        defaults->set(TagSpec::key(pin, Tag, u"yOffset"), bad);
        defaults->set(TagSpec::key(pin, Value, u"yOffset"), bad);
        EXPECT_EQ(load(Tag).yOffset, -10);
        EXPECT_EQ(load(Value).yOffset, 10);
    }
}

TEST(TagSpecDefaults, WrongTypesAndUnknownStringsFallBack)
{
    test::ScopedDefaults defaults;
    defaults->set(TagSpec::key(pin, Tag, u"position"), "centre");
    defaults->set(TagSpec::key(pin, Tag, u"orientation"), "diagonal");
    defaults->set(TagSpec::key(pin, Tag, u"shown"), "yes");
    defaults->set(TagSpec::key(pin, Tag, u"showBg"), qint64(1));
    defaults->set(TagSpec::key(pin, Tag, u"fgHex"), 12.0);
    defaults->set(TagSpec::key(pin, Tag, u"yOffset"), "5");
    const TagSpec tag = load(Tag);
    EXPECT_EQ(tag.position, TagPosition::behind);
    EXPECT_EQ(tag.orientation, TagOrientation::horizontal);
    EXPECT_FALSE(tag.shown);
    EXPECT_FALSE(tag.showBg);
    EXPECT_EQ(tag.fgHex, "");
    EXPECT_EQ(tag.yOffset, -10);
}

TEST(TagSpecText, BadgeOverrideNamesTheTagButNeverTheValue)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::tagOverride.key(u"cpu.total"), "PROC");
    defaults->set(TagSpec::key(pin, Tag, u"text"), "ignored");
    EXPECT_EQ(load(Tag).text, "PROC");
    EXPECT_EQ(load(Value).text, "CPU");
}

TEST(TagSpecText, EmptyOverrideCountsAsMissingForTheLabel)
{
    // The stat registry takes an empty override as an empty badge; the label
    // always falls back to the short name.
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::tagOverride.key(u"cpu.total"), "");
    EXPECT_EQ(load(Tag).text, "CPU");
}

TEST(TagSpecSaving, SaveWritesEveryFieldButTextAndShownOnlyWhenAsked)
{
    test::ScopedDefaults defaults;
    TagSpec spec;
    spec.shown = true;
    spec.text = "never stored";
    spec.position = TagPosition::trailing;
    spec.orientation = TagOrientation::vertical;
    spec.fgHex = "#112233";
    spec.bgHex = "#44556677";
    spec.showBg = true;
    spec.yOffset = -2.5;
    TagSpec::save(spec, pin, Tag, false);
    EXPECT_FALSE(defaults->object(TagSpec::key(pin, Tag, u"shown")).isValid());
    EXPECT_FALSE(defaults->object(TagSpec::key(pin, Tag, u"text")).isValid());
    EXPECT_EQ(defaults->string(TagSpec::key(pin, Tag, u"position")), "trailing");
    EXPECT_EQ(defaults->string(TagSpec::key(pin, Tag, u"orientation")), "vertical");
    EXPECT_EQ(defaults->boolean(TagSpec::key(pin, Tag, u"showBg")), true);
    EXPECT_EQ(defaults->real(TagSpec::key(pin, Tag, u"yOffset")), -2.5);

    TagSpec::save(spec, pin, Tag, true);
    TagSpec expected = spec;
    expected.text = "CPU";
    EXPECT_EQ(load(Tag), expected);
}

TEST(TagSpecSaving, PlacementWritesAndResetsOnlyThreeKeys)
{
    test::ScopedDefaults defaults;
    TagSpec spec;
    spec.position = TagPosition::leading;
    spec.orientation = TagOrientation::vertical;
    spec.yOffset = 7;
    spec.fgHex = "#FFFFFF";
    TagSpec::savePlacement(spec, pin, Value);
    EXPECT_EQ(defaults->userValues().size(), 3);
    EXPECT_EQ(load(Value).position, TagPosition::leading);
    EXPECT_EQ(load(Value).yOffset, 7);

    defaults->set(TagSpec::key(pin, Value, u"fgHex"), "#000000");
    TagSpec::resetPlacement(pin, Value);
    const TagSpec reset = load(Value);
    EXPECT_EQ(reset.position, TagPosition::behind);
    EXPECT_EQ(reset.orientation, TagOrientation::horizontal);
    EXPECT_EQ(reset.yOffset, 10);
    EXPECT_EQ(reset.fgHex, "#000000");
}

TEST(TagSpecSaving, NonFiniteOffsetIsNotStored)
{
    test::ScopedDefaults defaults;
    TagSpec spec;
    spec.yOffset = std::numeric_limits<double>::quiet_NaN();
    TagSpec::savePlacement(spec, pin, Tag);
    EXPECT_FALSE(defaults->object(TagSpec::key(pin, Tag, u"yOffset")).isValid());
    EXPECT_EQ(load(Tag).yOffset, -10);
}

TEST(TagSpecMove, OntoTheSamePinChangesNothing)
{
    test::ScopedDefaults defaults;
    defaults->set(TagSpec::key(pin, Tag, u"fgHex"), "#123456");
    const QVariantMap before = defaults->userValues();
    TagSpec::move(pin, pin);
    EXPECT_EQ(defaults->userValues(), before);
}

TEST(TagSpecMove, NewPinGetsExactlyTheOldPinsKeys)
{
    test::ScopedDefaults defaults;
    const QString to = QStringLiteral("cpu.total::viz.runner.hare");
    defaults->set(TagSpec::key(pin, Tag, u"position"), "leading");
    defaults->set(TagSpec::key(to, Tag, u"fgHex"), "#FF0000");
    defaults->set(TagSpec::key(to, Value, u"shown"), true);
    defaults->set(TagSpec::key(to, Value, u"text"), "old");
    defaults->set("unrelated", 1.0);
    TagSpec::move(pin, to);
    QVariantMap expected;
    expected.insert(TagSpec::key(to, Tag, u"position"), "leading");
    expected.insert("unrelated", 1.0);
    EXPECT_EQ(defaults->userValues(), expected);
}
