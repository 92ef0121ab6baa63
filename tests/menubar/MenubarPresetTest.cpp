#include "menubar/MenubarPreset.h"

#include "MenubarTestSupport.h"
#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

struct Fixture {
    test::ScopedDefaults defaults;
    std::unique_ptr<StatRegistry> registry = test::makeRegistry({ "cpu.total", "gpu.total", "memory.total", "net.total" });
    VisualizerRegistry visualizers;
    PinManager pins { PinManager::defaultPins(), PinManager::groupOf(&visualizers) };

    const MenubarPreset& preset(const QString& id)
    {
        for (const MenubarPreset& p : MenubarPreset::all()) {
            if (p.id == id)
                return p;
        }
        throw std::runtime_error("no preset");
    }
    QStringList pinIds() const
    {
        QStringList out;
        for (const Pin& p : pins.pins())
            out << p.id();
        return out;
    }
};

} // namespace

TEST(MenubarPresetList, ThreePresetsWithTheirNamesAndBlurbsInOrder)
{
    const auto& all = MenubarPreset::all();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].id, "preset.simple");
    EXPECT_EQ(all[0].name, "Simple");
    EXPECT_EQ(all[0].blurb, "Fox on CPU");
    EXPECT_EQ(all[1].id, "preset.enhanced");
    EXPECT_EQ(all[1].name, "Enhanced");
    EXPECT_EQ(all[1].blurb, "MEM + CPU, values");
    EXPECT_EQ(all[2].id, "preset.allIn");
    EXPECT_EQ(all[2].name, "All-in");
    EXPECT_EQ(all[2].blurb, "3 sprites + number");
    ASSERT_EQ(all[2].slots.size(), 4);
    EXPECT_EQ(all[2].slots[3], (MenubarPreset::Slot { "net.total", "viz.numberLabel", false }));
    EXPECT_EQ(all[1].slots[0], (MenubarPreset::Slot { "memory.total", "viz.runner.piglet", true }));
}

TEST(MenubarPresetApply, BeforeSpritesExistAllInAppliesOnlyTheNumberLabel)
{
    Fixture f;
    f.preset("preset.allIn").apply(f.pins, *f.registry, f.visualizers);
    EXPECT_EQ(f.pinIds(), (QStringList { "net.total::viz.numberLabel" }));
    EXPECT_TRUE(f.preset("preset.allIn").matches(f.pins.pins(), *f.registry, f.visualizers));

    test::addRunners(f.visualizers, { "fox", "hare", "piglet" });
    f.preset("preset.allIn").apply(f.pins, *f.registry, f.visualizers);
    EXPECT_EQ(f.pinIds(), (QStringList { "memory.total::viz.runner.piglet", "cpu.total::viz.runner.hare",
                                         "gpu.total::viz.runner.fox", "net.total::viz.numberLabel" }));
    auto stored = Pin::decodeList(f.defaults->data(SettingsSchema::pinnedSlots).value_or(QByteArray()));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, f.pins.pins());
}

TEST(MenubarPresetApply, UnknownProvidersAreLeftOut)
{
    Fixture f;
    test::addRunners(f.visualizers, { "fox", "hare", "piglet" });
    auto registry = test::makeRegistry({ "cpu.total" });
    f.preset("preset.enhanced").apply(f.pins, *registry, f.visualizers);
    EXPECT_EQ(f.pinIds(), (QStringList { "cpu.total::viz.runner.hare" }));
}

TEST(MenubarPresetApply, NothingApplicableLeavesNoPinsAndMatchesEmpty)
{
    Fixture f;
    f.preset("preset.simple").apply(f.pins, *f.registry, f.visualizers);
    EXPECT_TRUE(f.pins.pins().isEmpty());
    EXPECT_TRUE(f.preset("preset.simple").matches({}, *f.registry, f.visualizers));
    EXPECT_FALSE(f.preset("preset.allIn").matches({}, *f.registry, f.visualizers));
}

TEST(MenubarPresetApply, SimpleResetsBothLabelsHidden)
{
    Fixture f;
    test::addRunners(f.visualizers, { "fox" });
    const QString pin = QStringLiteral("cpu.total::viz.runner.fox");
    f.defaults->set(TagSpec::key(pin, TagSpec::Namespace::tag, u"fgHex"), "#FF0000");
    f.defaults->set(TagSpec::key(pin, TagSpec::Namespace::value, u"position"), "leading");
    f.preset("preset.simple").apply(f.pins, *f.registry, f.visualizers);

    EXPECT_EQ(f.defaults->boolean(TagSpec::key(pin, TagSpec::Namespace::tag, u"shown")), false);
    EXPECT_EQ(f.defaults->real(TagSpec::key(pin, TagSpec::Namespace::tag, u"yOffset")), -10);
    EXPECT_EQ(f.defaults->boolean(TagSpec::key(pin, TagSpec::Namespace::value, u"shown")), false);
    EXPECT_EQ(f.defaults->real(TagSpec::key(pin, TagSpec::Namespace::value, u"yOffset")), 10);
    const TagSpec tag = TagSpec::load(pin, "cpu.total", "CPU", TagSpec::Namespace::tag);
    EXPECT_EQ(tag.fgHex, "");
    EXPECT_EQ(TagSpec::load(pin, "cpu.total", "CPU", TagSpec::Namespace::value).position, TagPosition::behind);
}

TEST(MenubarPresetApply, EnhancedShowsLabels)
{
    Fixture f;
    test::addRunners(f.visualizers, { "hare", "piglet" });
    f.preset("preset.enhanced").apply(f.pins, *f.registry, f.visualizers);
    // The runners' values; their tags would cover the sprite in a square slot.
    for (const Pin& pin : f.pins.pins()) {
        EXPECT_FALSE(TagSpec::load(pin.id(), pin.providerId, "X", TagSpec::Namespace::tag).shown);
        EXPECT_TRUE(TagSpec::load(pin.id(), pin.providerId, "X", TagSpec::Namespace::value).shown);
    }
}

TEST(MenubarPresetMatching, AppliedPresetMatchesOnlyItselfUntilAToggle)
{
    Fixture f;
    test::addRunners(f.visualizers, { "fox", "hare", "piglet" });
    f.preset("preset.enhanced").apply(f.pins, *f.registry, f.visualizers);
    EXPECT_TRUE(f.preset("preset.enhanced").matches(f.pins.pins(), *f.registry, f.visualizers));
    EXPECT_FALSE(f.preset("preset.simple").matches(f.pins.pins(), *f.registry, f.visualizers));
    EXPECT_FALSE(f.preset("preset.allIn").matches(f.pins.pins(), *f.registry, f.visualizers));
    f.pins.toggle("cpu.total", "viz.pie");
    EXPECT_FALSE(f.preset("preset.enhanced").matches(f.pins.pins(), *f.registry, f.visualizers));
    f.pins.toggle("cpu.total", "viz.pie");
    EXPECT_TRUE(f.preset("preset.enhanced").matches(f.pins.pins(), *f.registry, f.visualizers));
}

TEST(MenubarPresetMatching, SamePinsInAnotherOrderDoNotMatch)
{
    Fixture f;
    test::addRunners(f.visualizers, { "hare", "piglet" });
    const QList<Pin> reversed { { "cpu.total", "viz.runner.hare" }, { "memory.total", "viz.runner.piglet" } };
    EXPECT_FALSE(f.preset("preset.enhanced").matches(reversed, *f.registry, f.visualizers));
}
