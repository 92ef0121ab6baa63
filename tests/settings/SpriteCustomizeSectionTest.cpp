#include "SettingsTestSupport.h"

#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "settings/stats/PinnedSpriteEditor.h"
#include "settings/stats/PresetsSection.h"
#include "settings/stats/ProviderColumnRow.h"
#include "settings/stats/SpriteCustomizeSection.h"
#include "settings/stats/SpriteThumb.h"
#include "settings/stats/SpriteTile.h"
#include "settings/stats/StatsTab.h"
#include "stats/StatRegistry.h"
#include "views/ToolTip.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

Pin pin(const QString& provider, const QString& viz)
{
    return Pin{provider, viz};
}

const QString cpu = QStringLiteral("cpu.total");
const QString fox = QStringLiteral("viz.runner.fox");
const QString hare = QStringLiteral("viz.runner.hare");
const QString piglet = QStringLiteral("viz.runner.piglet");

QStringList tileNames(const SpriteCustomizeSection& section)
{
    QStringList names;
    for (SpriteTile* tile : section.tiles())
        names.append(tile->visualizer()->displayName());
    return names;
}

SpriteTile* tileFor(const SpriteCustomizeSection& section, const QString& vizId)
{
    for (SpriteTile* tile : section.tiles()) {
        if (tile->visualizer()->id() == vizId)
            return tile;
    }
    return nullptr;
}

} // namespace

TEST(SpriteCustomizeSection, NoProvidersShowsAnEmptyColumnAndNoDetail)
{
    test::SettingsWorld world;
    world.registry = std::make_unique<StatRegistry>(StatRegistry::Providers{});
    SpriteCustomizeSection section(world.env());
    EXPECT_TRUE(section.providerRows().isEmpty());
    EXPECT_FALSE(section.effectiveProviderId().has_value());
    EXPECT_EQ(section.headerName(), nullptr);
    EXPECT_EQ(section.editor(), nullptr);
}

TEST(SpriteCustomizeSection, FirstProviderIsShownWhenNothingOrAnUnknownIdIsSelected)
{
    test::SettingsWorld world;
    SpriteCustomizeSection section(world.env());
    EXPECT_EQ(section.headerLabel()->text(), QStringLiteral("Providers"));
    ASSERT_EQ(section.providerRows().size(), 4);
    EXPECT_TRUE(section.providerRows()[0]->highlighted());
    EXPECT_FALSE(section.providerRows()[1]->highlighted());
    EXPECT_EQ(section.headerName()->text(), QStringLiteral("CPU"));

    // No runner registered: no choices, the hint, paw prints (the fox pin names no registered visualizer).
    EXPECT_TRUE(section.tiles().isEmpty());
    ASSERT_NE(section.pickHint(), nullptr);
    EXPECT_EQ(section.pickHint()->text(), QStringLiteral("Pick a sprite to put CPU on the panel."));
    EXPECT_FALSE(section.headerThumb()->showsFrame());
    EXPECT_FALSE(section.providerRows()[0]->thumb()->showsFrame());

    QTest::mouseClick(section.providerRows()[2], Qt::LeftButton);
    EXPECT_EQ(section.headerName()->text(), QStringLiteral("Memory"));
    EXPECT_TRUE(section.providerRows()[2]->highlighted());
    EXPECT_NE(section.providerConfigView(), nullptr);

    section.setSelectedProviderId(QStringLiteral("nope"));
    EXPECT_EQ(section.effectiveProviderId(), cpu);
    EXPECT_EQ(section.selectedProviderId(), QStringLiteral("nope"));
}

TEST(SpriteCustomizeSection, RunnerChoicesSortByCodePointStably)
{
    test::SettingsWorld world;
    // Installed out of order; two share a name and keep their install order.
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("bold"), QString::fromUcs4(U"\U0001D400lpha")));
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("wide"), QString::fromUcs4(U"\uFF21lpha")));
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("same2"), QStringLiteral("same")));
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("lower"), QStringLiteral("alpha")));
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("same1"), QStringLiteral("same")));
    ASSERT_TRUE(world.installRunnerNamed(QStringLiteral("upper"), QStringLiteral("Zeta")));
    QStringList ids;
    for (const VisualizerPtr& v : SpriteCustomizeSection::runnerChoices(*world.visualizers))
        ids.append(v->id());
    EXPECT_EQ(ids, (QStringList{"viz.runner.upper", "viz.runner.lower", "viz.runner.same2", "viz.runner.same1",
                                "viz.runner.wide", "viz.runner.bold"}));

    SpriteCustomizeSection section(world.env());
    EXPECT_EQ(tileNames(section).first(), QStringLiteral("Zeta"));
    EXPECT_EQ(section.tiles().last()->visualizer()->id(), QStringLiteral("viz.runner.bold"));
    EXPECT_EQ(section.tiles().first()->toolTip(), ToolTip::fromPlainText(QStringLiteral("Zeta")));
}

TEST(SpriteCustomizeSection, AnInstalledRunnerAddsItsTileAndTheOthersStay)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners({QStringLiteral("fox"), QStringLiteral("piglet")}));
    world.pins->setPins({pin(cpu, fox)});
    SpriteCustomizeSection section(world.env());
    const QList<SpriteTile*> before = section.tiles();
    ASSERT_EQ(before.size(), 2);

    ASSERT_TRUE(world.installRunners({QStringLiteral("hare")}));
    ASSERT_TRUE(test::waitUntil([&] { return section.tiles().size() == 3; }));
    QStringList ids;
    for (SpriteTile* tile : section.tiles())
        ids.append(tile->visualizer()->id());
    EXPECT_EQ(ids, (QStringList{"viz.runner.fox", "viz.runner.hare", "viz.runner.piglet"}));
    EXPECT_EQ(section.tiles()[0], before[0]);
    EXPECT_EQ(section.tiles()[2], before[1]);
    EXPECT_TRUE(section.tiles()[0]->selected());
}

TEST(SpriteCustomizeSection, TappingThePinnedTileUnpinsAndRepinsWithItsStyling)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    world.pins->setPins({pin(cpu, fox)});
    const QString foxPin = pin(cpu, fox).id();
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"shown"), true);
    SpriteCustomizeSection section(world.env());
    EXPECT_EQ(tileNames(section), (QStringList{"Fox", "Hare", "Piglet"}));
    ASSERT_NE(section.editor(), nullptr);
    EXPECT_TRUE(tileFor(section, fox)->selected());
    EXPECT_TRUE(section.headerThumb()->showsFrame());
    EXPECT_EQ(section.headerSpriteName()->text(), QStringLiteral("Fox"));

    QTest::mouseClick(tileFor(section, fox), Qt::LeftButton);
    EXPECT_TRUE(world.pins->pins().isEmpty());
    EXPECT_EQ(section.editor(), nullptr);
    ASSERT_NE(section.pickHint(), nullptr);
    EXPECT_FALSE(tileFor(section, fox)->selected());
    EXPECT_FALSE(section.headerThumb()->showsFrame());
    EXPECT_EQ(world.defaults()->boolean(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"shown")), true);

    QTest::mouseClick(tileFor(section, fox), Qt::LeftButton);
    EXPECT_EQ(world.pins->pins(), (QList<Pin>{pin(cpu, fox)}));
    ASSERT_NE(section.editor(), nullptr);
    EXPECT_TRUE(section.editor()->nameShown());
}

TEST(SpriteCustomizeSection, PickingAnotherSpriteCarriesTheStylingToTheNewEditor)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    world.pins->setPins({pin(cpu, fox)});
    const QString foxPin = pin(cpu, fox).id();
    const QString harePin = pin(cpu, hare).id();
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"shown"), true);
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::value, u"shown"), true);
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"fgHex"), QStringLiteral("#00FF00FF"));
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::value, u"yOffset"), 7.0);
    SpriteCustomizeSection section(world.env());
    PinnedSpriteEditor* before = section.editor();
    ASSERT_NE(before, nullptr);

    QTest::mouseClick(tileFor(section, hare), Qt::LeftButton);
    EXPECT_EQ(world.pins->pins(), (QList<Pin>{pin(cpu, hare)}));
    ASSERT_NE(section.editor(), nullptr);
    EXPECT_NE(section.editor(), before);
    EXPECT_EQ(section.editor()->pin(), pin(cpu, hare));
    EXPECT_TRUE(section.editor()->nameShown());
    EXPECT_TRUE(section.editor()->valueShown());
    EXPECT_EQ(world.defaults()->string(TagSpec::key(harePin, TagSpec::Namespace::tag, u"fgHex")),
              QStringLiteral("#00FF00FF"));
    EXPECT_FALSE(world.defaults()->object(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"fgHex")).isValid());
    EXPECT_TRUE(tileFor(section, hare)->selected());
    EXPECT_FALSE(tileFor(section, fox)->selected());
}

TEST(SpriteCustomizeSection, TwoRunnerPinsOfOneProviderUseTheFirst)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    world.pins->setPins({pin(cpu, fox), pin(cpu, hare)});
    const QString foxPin = pin(cpu, fox).id();
    world.defaults()->set(TagSpec::key(foxPin, TagSpec::Namespace::tag, u"yOffset"), -3.0);
    world.defaults()->set(TagSpec::key(pin(cpu, hare).id(), TagSpec::Namespace::tag, u"yOffset"), 9.0);
    SpriteCustomizeSection section(world.env());
    EXPECT_TRUE(tileFor(section, fox)->selected());
    EXPECT_FALSE(tileFor(section, hare)->selected());
    ASSERT_NE(section.editor(), nullptr);
    EXPECT_EQ(section.editor()->pin(), pin(cpu, fox));
    EXPECT_EQ(section.headerSpriteName()->text(), QStringLiteral("Fox"));

    QTest::mouseClick(tileFor(section, piglet), Qt::LeftButton);
    EXPECT_EQ(world.pins->pins(), (QList<Pin>{pin(cpu, piglet)}));
    EXPECT_EQ(world.defaults()->real(TagSpec::key(pin(cpu, piglet).id(), TagSpec::Namespace::tag, u"yOffset")),
              -3.0);
}

TEST(SpriteCustomizeSection, PublishesUpdateInPlaceAndWriteNothing)
{
    test::SettingsWorld world;
    ASSERT_TRUE(world.installRunners());
    world.pins->setPins({pin(QStringLiteral("memory.total"), piglet), pin(cpu, fox)});
    world.pins->save();
    test::WriteCounter writes(world.defaults());
    StatsTab tab(world.env());
    tab.resize(540, 520);
    tab.show();
    SpriteCustomizeSection* section = tab.sprites();
    PinnedSpriteEditor* editor = section->editor();
    ASSERT_NE(editor, nullptr);
    const QList<SpriteTile*> tiles = section->tiles();
    QTest::mouseClick(section->providerRows()[2], Qt::LeftButton); // Memory
    PinnedSpriteEditor* memoryEditor = section->editor();
    QWidget* config = section->providerConfigView();
    ASSERT_NE(memoryEditor, nullptr);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(memoryEditor->pin(), pin(QStringLiteral("memory.total"), piglet));
    memoryEditor->setCustomizeOpen(true);

    for (int i = 0; i < 3; ++i) {
        world.registry->scheduleFlush();
        world.registry->flush();
        world.pins->normalize();
        world.visualizers->setVisualizers(world.visualizers->visualizers());
        QApplication::processEvents();
    }
    EXPECT_EQ(section->editor(), memoryEditor);
    EXPECT_TRUE(memoryEditor->customizeOpen());
    EXPECT_EQ(section->providerConfigView(), config);
    EXPECT_EQ(section->tiles().size(), 3);
    EXPECT_TRUE(section->providerRows()[0]->thumb()->showsFrame());
    EXPECT_TRUE(section->providerRows()[2]->thumb()->showsFrame());
    EXPECT_FALSE(section->providerRows()[1]->thumb()->showsFrame());
    tab.close();
    QApplication::processEvents();
    EXPECT_EQ(writes.count(), 0) << writes.keys().join(u',').toStdString();
    EXPECT_FALSE(writes.valuesChanged());
}

TEST(StatsTab, Screenshots)
{
    for (bool dark : {false, true}) {
        test::SettingsWorld world;
        ASSERT_TRUE(world.installRunners());
        QApplication::setPalette(test::screenshotPalette(dark));
        world.pins->setPins({pin(QStringLiteral("memory.total"), piglet), pin(cpu, hare)});
        const QString harePin = pin(cpu, hare).id();
        world.defaults()->set(TagSpec::key(harePin, TagSpec::Namespace::tag, u"shown"), true);
        world.defaults()->set(TagSpec::key(harePin, TagSpec::Namespace::value, u"shown"), true);
        StatsTab tab(world.env());
        tab.resize(540, 520);
        tab.show();
        ASSERT_NE(tab.sprites()->editor(), nullptr);
        tab.sprites()->editor()->setCustomizeOpen(true);
        QApplication::processEvents();
        const QString path =
            test::saveScreenshot(&tab, dark ? QStringLiteral("stats-tab-dark") : QStringLiteral("stats-tab-light"));
        EXPECT_FALSE(QImage(path).isNull());
        tab.close();
    }
    QApplication::setPalette(QPalette());
}
