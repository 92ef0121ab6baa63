#include "menubar/PinManager.h"

#include "MenubarTestSupport.h"
#include "menubar/TagSpec.h"
#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

const Pin cpuPie { "cpu.total", "viz.pie" };
const Pin cpuFox { "cpu.total", "viz.runner.fox" };
const Pin cpuHare { "cpu.total", "viz.runner.hare" };
const Pin gpuFox { "gpu.total", "viz.runner.fox" };
const Pin gpuPie { "gpu.total", "viz.pie" };

struct Fixture {
    test::ScopedDefaults defaults;
    VisualizerRegistry visualizers;

    Fixture() { test::addRunners(visualizers, { "fox", "hare", "piglet" }); }

    std::unique_ptr<PinManager> manager()
    {
        return std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(&visualizers));
    }
    void store(const QList<Pin>& pins) { defaults->set(SettingsSchema::pinnedSlots, Pin::encodeList(pins)); }
    QList<Pin> stored()
    {
        auto decoded = Pin::decodeList(defaults->data(SettingsSchema::pinnedSlots).value_or(QByteArray()));
        return decoded ? *decoded : QList<Pin> {};
    }
};

} // namespace

TEST(PinManagerLoading, NothingStoredGivesTheFoxOnCpuAndWritesNothing)
{
    Fixture f;
    auto pins = f.manager();
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuFox }));
    EXPECT_FALSE(f.defaults->hasUserValue(SettingsSchema::pinnedSlots));
}

TEST(PinManagerLoading, StoredEmptyArrayGivesNoPins)
{
    Fixture f;
    f.defaults->set(SettingsSchema::pinnedSlots, QByteArray("[]"));
    EXPECT_TRUE(f.manager()->pins().isEmpty());
}

TEST(PinManagerLoading, UndecodableDataFallsBackAndStaysStoredUntilNextSave)
{
    Fixture f;
    f.defaults->set(SettingsSchema::pinnedSlots, QByteArray("[{\"providerId\":1}]"));
    auto pins = f.manager();
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuFox }));
    EXPECT_EQ(f.defaults->data(SettingsSchema::pinnedSlots), QByteArray("[{\"providerId\":1}]"));

    f.defaults->set(SettingsSchema::pinnedSlots, QStringLiteral("a string, not data"));
    EXPECT_EQ(f.manager()->pins(), (QList<Pin> { cpuFox }));
}

TEST(PinManagerLoading, StoredListIsTakenAsIsWithoutNormalising)
{
    Fixture f;
    f.store({ cpuFox, gpuPie, cpuPie });
    EXPECT_EQ(f.manager()->pins(), (QList<Pin> { cpuFox, gpuPie, cpuPie }));
}

TEST(PinManagerToggle, ExistingPairIsRemovedAndSaved)
{
    Fixture f;
    f.store({ cpuPie, cpuFox });
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.pie");
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuFox }));
    EXPECT_EQ(f.stored(), (QList<Pin> { cpuFox }));
}

TEST(PinManagerToggle, ReaddedPairGoesToItsProvidersBlock)
{
    Fixture f;
    f.store({ cpuPie, gpuPie, cpuFox });
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.pie");
    pins->toggle("cpu.total", "viz.pie");
    // Appended at the end, then normalised: the GPU comes first now (its pin
    // is the first in the list), and the CPU's static pie goes before its sprite.
    EXPECT_EQ(pins->pins(), (QList<Pin> { gpuPie, cpuPie, cpuFox }));
    EXPECT_EQ(f.stored(), pins->pins());
}

TEST(PinManagerToggle, SecondSpriteReplacesFirstAndCarriesItsStyling)
{
    Fixture f;
    f.store({ cpuPie, cpuFox });
    TagSpec tag;
    tag.shown = true;
    tag.position = TagPosition::leading;
    tag.fgHex = "#FF0000";
    TagSpec::save(tag, cpuFox.id(), TagSpec::Namespace::tag, true);
    TagSpec value;
    value.shown = true;
    value.yOffset = 3;
    TagSpec::save(value, cpuFox.id(), TagSpec::Namespace::value, true);

    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.runner.hare");
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuPie, cpuHare }));

    const TagSpec movedTag = TagSpec::load(cpuHare.id(), "cpu.total", "CPU", TagSpec::Namespace::tag);
    EXPECT_TRUE(movedTag.shown);
    EXPECT_EQ(movedTag.position, TagPosition::leading);
    EXPECT_EQ(movedTag.fgHex, "#FF0000");
    EXPECT_EQ(TagSpec::load(cpuHare.id(), "cpu.total", "CPU", TagSpec::Namespace::value).yOffset, 3);
    for (const QString& field : TagSpec::fieldNames()) {
        EXPECT_FALSE(f.defaults->object(TagSpec::key(cpuFox.id(), TagSpec::Namespace::tag, field)).isValid());
        EXPECT_FALSE(f.defaults->object(TagSpec::key(cpuFox.id(), TagSpec::Namespace::value, field)).isValid());
    }
}

TEST(PinManagerToggle, OnlyTheFirstReplacedPinsStylingMoves)
{
    Fixture f;
    // Two sprites on one provider can only come from stored data.
    f.store({ cpuFox, { "cpu.total", "viz.runner.piglet" } });
    f.defaults->set(TagSpec::key(cpuFox.id(), TagSpec::Namespace::tag, u"fgHex"), "#111111");
    const QString pigletKey = TagSpec::key("cpu.total::viz.runner.piglet", TagSpec::Namespace::tag, u"fgHex");
    f.defaults->set(pigletKey, "#222222");
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.runner.hare");
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuHare }));
    EXPECT_EQ(f.defaults->string(TagSpec::key(cpuHare.id(), TagSpec::Namespace::tag, u"fgHex")), "#111111");
    EXPECT_EQ(f.defaults->string(pigletKey), "#222222");
}

TEST(PinManagerToggle, GroupsExcludeEachOtherOnlyWithinOneProvider)
{
    Fixture f;
    f.store({ gpuFox });
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.runner.hare");
    EXPECT_EQ(pins->pins(), (QList<Pin> { gpuFox, cpuHare }));
}

TEST(PinManagerToggle, StaticVisualizersStackOnOneProvider)
{
    Fixture f;
    f.store({ cpuPie });
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.sparkline");
    pins->toggle("cpu.total", "viz.numberLabel");
    EXPECT_EQ(pins->pins().size(), 3);
}

TEST(PinManagerToggle, UnregisteredVisualizerIsNeverReplaced)
{
    Fixture f;
    f.store({ { "cpu.total", "viz.runner.gone" } });
    auto pins = f.manager();
    pins->toggle("cpu.total", "viz.runner.fox");
    EXPECT_EQ(pins->pins(), (QList<Pin> { { "cpu.total", "viz.runner.gone" }, cpuFox }));
}

TEST(PinManagerToggle, PublishesNewListBeforeStoringIt)
{
    Fixture f;
    f.store({ cpuPie });
    auto pins = f.manager();
    QList<Pin> seenDuringAnnouncement;
    QList<Pin> announced;
    QObject::connect(pins.get(), &PinManager::pinsWillChange, [&](const QList<Pin>& next) {
        announced = next;
        seenDuringAnnouncement = pins->pins();
    });
    QSignalSpy changed(pins.get(), &PinManager::pinsChanged);
    pins->toggle("cpu.total", "viz.runner.fox");
    EXPECT_EQ(seenDuringAnnouncement, (QList<Pin> { cpuPie }));
    EXPECT_EQ(announced, (QList<Pin> { cpuPie, cpuFox }));
    EXPECT_EQ(changed.count(), 1);
}

TEST(PinManagerNormalize, GroupsByProviderStaticBeforeSprites)
{
    Fixture f;
    f.store({ cpuFox, gpuPie, cpuPie });
    auto pins = f.manager();
    pins->normalize();
    EXPECT_EQ(pins->pins(), (QList<Pin> { cpuPie, cpuFox, gpuPie }));
}

TEST(PinManagerNormalize, UnregisteredVisualizerCountsAsUngroupedAndOrderIsKept)
{
    Fixture f;
    const Pin gone { "cpu.total", "viz.runner.gone" };
    f.store({ cpuFox, gone, cpuPie, gpuFox, gpuPie });
    auto pins = f.manager();
    pins->normalize();
    EXPECT_EQ(pins->pins(), (QList<Pin> { gone, cpuPie, cpuFox, gpuPie, gpuFox }));
}

TEST(PinManagerNormalize, PublishesEvenWhenNothingMoved)
{
    Fixture f;
    f.store({ cpuPie });
    auto pins = f.manager();
    QSignalSpy changed(pins.get(), &PinManager::pinsChanged);
    pins->normalize();
    EXPECT_EQ(changed.count(), 1);
}

TEST(PinManagerMigration, CopiesLegacyTagSettingsIntoEveryStoredPinOnce)
{
    Fixture f;
    f.store({ cpuPie, gpuFox });
    f.defaults->set(SettingsSchema::legacyShowTag, true);
    f.defaults->set(SettingsSchema::legacyTagPosition, "trailing");
    f.defaults->set(SettingsSchema::legacyTagFgHex, "#ABCDEF");
    f.defaults->set(SettingsSchema::legacyTagShowBg, true);
    f.defaults->set(SettingsSchema::legacyTagYOffset, 4.5);

    PinManager::migratePerPinTagStyling();
    for (const Pin& pin : { cpuPie, gpuFox }) {
        const TagSpec tag = TagSpec::load(pin.id(), pin.providerId, "X", TagSpec::Namespace::tag);
        EXPECT_TRUE(tag.shown);
        EXPECT_EQ(tag.position, TagPosition::trailing);
        EXPECT_EQ(tag.orientation, TagOrientation::horizontal);
        EXPECT_EQ(tag.fgHex, "#ABCDEF");
        EXPECT_EQ(tag.bgHex, "");
        EXPECT_TRUE(tag.showBg);
        EXPECT_EQ(tag.yOffset, 4.5);
        EXPECT_FALSE(f.defaults->object(TagSpec::key(pin.id(), TagSpec::Namespace::tag, u"text")).isValid());
        EXPECT_FALSE(f.defaults->object(TagSpec::key(pin.id(), TagSpec::Namespace::value, u"shown")).isValid());
    }
    EXPECT_EQ(f.defaults->boolean(SettingsSchema::perPinTagStylingMigrated), true);

    // A second launch leaves the per-pin styling alone.
    TagSpec edited;
    edited.position = TagPosition::leading;
    TagSpec::savePlacement(edited, cpuPie.id(), TagSpec::Namespace::tag);
    PinManager::migratePerPinTagStyling();
    EXPECT_EQ(TagSpec::load(cpuPie.id(), "cpu.total", "X", TagSpec::Namespace::tag).position, TagPosition::leading);
}

TEST(PinManagerMigration, UnknownPositionIsBehindAndBadPinsStillSetTheFlag)
{
    Fixture f;
    f.defaults->set(SettingsSchema::legacyTagPosition, "centre");
    f.defaults->set(SettingsSchema::pinnedSlots, QByteArray("garbage"));
    PinManager::migratePerPinTagStyling();
    EXPECT_EQ(f.defaults->boolean(SettingsSchema::perPinTagStylingMigrated), true);

    f.defaults->remove(SettingsSchema::perPinTagStylingMigrated);
    f.store({ cpuPie });
    PinManager::migratePerPinTagStyling();
    const TagSpec tag = TagSpec::load(cpuPie.id(), "cpu.total", "X", TagSpec::Namespace::tag);
    EXPECT_EQ(tag.position, TagPosition::behind);
    EXPECT_FALSE(tag.shown);
    EXPECT_EQ(tag.yOffset, 0); // legacy offset absent: 0, stored as such
}
