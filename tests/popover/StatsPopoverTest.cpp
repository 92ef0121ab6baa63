#include "popover/StatsPopover.h"

#include "PopoverFixture.h"
#include "alarms/views/AlarmMenuPicker.h"
#include "alarms/views/AlarmRow.h"
#include "alarms/views/AlarmRowEditor.h"
#include "alarms/views/AlarmsSettingsView.h"
#include "popover/FiringAlarmsRow.h"
#include "popover/PinBar.h"
#include "popover/PinChip.h"
#include "popover/PopoverFooter.h"
#include "popover/ProviderRow.h"
#include "popover/ValueChip.h"
#include "schema/SettingsSchema.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::popover;

namespace {

StatsPopover::ScreenSource screenOf(double w, double h)
{
    return [w, h]() -> std::optional<ScreenFacts> {
        ScreenFacts facts;
        facts.frame = QRectF(0, 0, w, h);
        facts.visibleFrame = QRectF(0, 25, w, h - 25);
        return facts;
    };
}

} // namespace

TEST(StatsPopover, LaysOutTwoColumnsOnAWideScreenAndOneWhenAsked)
{
    PopoverWorld world;
    world.publish();
    StatsPopover two(world.env(), {}, screenOf(1440, 900));
    EXPECT_TRUE(two.currentSize().twoColumns);
    EXPECT_EQ(two.width(), 740);
    EXPECT_EQ(two.rows().size(), 4);
    EXPECT_EQ(two.scrollArea(), nullptr);
    // Two columns of two: one divider between the rows of each column and one between the columns.
    EXPECT_EQ(two.dividerCount(), 3);

    world.defaults->set(SettingsSchema::popupTwoColumn, QStringLiteral("alwaysOne"));
    StatsPopover one(world.env(), {}, screenOf(1440, 900));
    EXPECT_FALSE(one.currentSize().twoColumns);
    EXPECT_EQ(one.width(), 380);
    EXPECT_EQ(one.scrollArea(), nullptr) << "the rows as laid out fit the screen";
    EXPECT_EQ(one.dividerCount(), 4) << "in one column a divider follows every row";

    // Where they do not, they scroll, and the popover takes the whole height.
    StatsPopover low(world.env(), {}, screenOf(1440, 300));
    ASSERT_NE(low.scrollArea(), nullptr);
    EXPECT_EQ(low.sizeHint().height(), 300 - 25);
    for (FakeProvider* p : world.providers)
        p->withDetail = true;
    StatsPopover grows(world.env(), {}, screenOf(1440, 900));
    grows.show();
    ASSERT_EQ(grows.scrollArea(), nullptr);
    for (FakeProvider* p : world.providers) {
        p->detailHeight = 160; // as a body whose rows follow the data
        p->lastDetail->setFixedHeight(p->detailHeight);
    }
    ASSERT_TRUE(waitUntil([&] { return grows.scrollArea() != nullptr; })) << "rows grown past the screen scroll";
    // Rows that come to need more width widen it, within the screen: none scrolls sideways.
    for (ProviderRow* row : grows.rows())
        row->detailView()->setMinimumWidth(520);
    EXPECT_TRUE(waitUntil([&] { return grows.width() > 520 && grows.width() <= 1440; })) << grows.width();
    QApplication::processEvents();
    EXPECT_FALSE(grows.scrollArea()->horizontalScrollBar()->isVisible());
}

TEST(StatsPopover, FiveProvidersSplitThreeAndTwo)
{
    PopoverWorld world(5);
    const auto [first, second] = StatsPopover::splitColumns(StatsPopover::visibleProviders(world.env()));
    ASSERT_EQ(first.size(), 3);
    ASSERT_EQ(second.size(), 2);
    EXPECT_EQ(first[2]->id(), QStringLiteral("memory.total"));
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    EXPECT_EQ(popover.dividerCount(), 2 + 1 + 1);
}

TEST(StatsPopover, DisabledProvidersAreNotShown)
{
    PopoverWorld world;
    world.defaults->set(SettingsSchema::providerEnabled.key(u"gpu.total"), false);
    world.enablement = std::make_unique<ProviderEnablementStore>();
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    QStringList ids;
    for (ProviderRow* row : popover.rows())
        ids << row->provider()->id();
    EXPECT_EQ(ids, (QStringList{QStringLiteral("cpu.total"), QStringLiteral("memory.total"), QStringLiteral("net.total")}));
}

TEST(StatsPopover, RowsBeforeTheFirstSnapshotThenAPublishUpdatesInPlace)
{
    PopoverWorld world;
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    ASSERT_EQ(popover.rows().size(), 4);
    for (ProviderRow* row : popover.rows())
        EXPECT_FALSE(row->hasSnapshot());
    const QList<ProviderRow*> rows = popover.rows();
    const int builds = popover.buildCount();

    for (int i = 0; i < 3; ++i) {
        world.providers[0]->value = 0.1 * (i + 1);
        world.publish();
        ASSERT_TRUE(waitUntil([&] { return popover.rows()[0]->hasSnapshot(); }));
        spinFor(5);
    }
    EXPECT_EQ(popover.buildCount(), builds) << "a publish never rebuilds the tree";
    EXPECT_EQ(popover.rows(), rows);
    EXPECT_EQ(popover.rows()[0]->chip()->text(), QStringLiteral("30%"));
}

TEST(StatsPopover, ManyChangesInOneTurnUpdateOnce)
{
    PopoverWorld world;
    world.publish();
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    world.publish();
    world.theme->select(QStringLiteral("gum.light"));
    world.defaults->set(SettingsSchema::statBgEnabled, true);
    world.pins->setPins({});
    const int builds = popover.buildCount();
    spinFor(20);
    EXPECT_EQ(popover.buildCount(), builds);
    EXPECT_EQ(popover.rows()[0]->chip()->inset(), QMargins(8, 2, 8, 2));
}

TEST(StatsPopover, ChangesArrivingInOneTurnRefreshEachRowOnceInTheNext)
{
    PopoverWorld world;
    world.publish();
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    spinFor(20);
    QList<int> before;
    for (ProviderRow* row : popover.rows())
        before.append(row->refreshCount());

    // A publish (its flush ends the call), then three more changes, all
    // before the event loop turns again.
    world.providers[0]->value = 0.6;
    world.publish();
    world.theme->select(QStringLiteral("gum.light"));
    world.defaults->set(SettingsSchema::statShowMerged, false);
    world.pins->setPins({});
    for (int i = 0; i < popover.rows().size(); ++i)
        EXPECT_EQ(popover.rows()[i]->refreshCount(), before[i]) << "nothing runs within the turn";
    spinFor(20);
    for (int i = 0; i < popover.rows().size(); ++i)
        EXPECT_EQ(popover.rows()[i]->refreshCount(), before[i] + 1) << i;
    EXPECT_EQ(popover.rows()[0]->chip()->text(), QStringLiteral("60%"));
}

TEST(StatsPopover, FiringAlarmsAddTheirSectionAndTheColumnsFollowTheRule)
{
    PopoverWorld world;
    world.publish();
    // 1440 × 1225: one column fits (1060 < 1100) until an alarm fires (1140).
    StatsPopover popover(world.env(), {}, screenOf(1440, 1225));
    EXPECT_FALSE(popover.currentSize().twoColumns);
    EXPECT_EQ(popover.firingRow(), nullptr);
    const int builds = popover.buildCount();

    world.fire({alarmOn(QStringLiteral("cpu.total"), 0.2, Alarm::Direction::above)}, {{QStringLiteral("cpu.total"), 0.9}});
    ASSERT_TRUE(waitUntil([&] { return popover.firingRow() != nullptr; }));
    EXPECT_EQ(popover.buildCount(), builds + 1);
    EXPECT_TRUE(popover.currentSize().twoColumns);
    EXPECT_EQ(popover.width(), 740);
    ASSERT_EQ(popover.firingRow()->lines().size(), 1);

    // Suppressing it drops the section again.
    popover.firingRow()->lines()[0].suppress->click();
    ASSERT_TRUE(waitUntil([&] { return popover.firingRow() == nullptr; }));
    EXPECT_FALSE(popover.currentSize().twoColumns);
}

TEST(StatsPopover, ASnoozeLengthEditedInTheAlarmsPaneReachesTheFiringRowsButton)
{
    PopoverWorld world;
    world.publish();
    const Alarm alarm = alarmOn(QStringLiteral("cpu.total"), 0.2, Alarm::Direction::above, 15);
    world.fire({alarm}, {{QStringLiteral("cpu.total"), 0.9}});
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    ASSERT_NE(popover.firingRow(), nullptr);
    EXPECT_EQ(popover.firingRow()->lines()[0].snooze->text(), QStringLiteral("Snooze 15m"));

    // The user picks "1 hour" in the alarm's row of the settings pane.
    AlarmsSettingsView pane(world.env());
    ASSERT_EQ(pane.rows().size(), 1);
    AlarmMenuPicker* snooze = pane.rows()[0]->editor()->findChild<AlarmMenuPicker*>(QStringLiteral("snoozePicker"));
    const int hour = snooze->findText(QStringLiteral("1 hour"));
    ASSERT_GE(hour, 0);
    Q_EMIT snooze->activated(hour);
    ASSERT_EQ(world.alarms->alarms()[0].notifySnoozeMinutes, 60);

    ASSERT_TRUE(waitUntil([&] {
        return popover.firingRow() && popover.firingRow()->lines()[0].snooze->text() == QStringLiteral("Snooze 60m");
    }));
    popover.firingRow()->lines()[0].snooze->click();
    EXPECT_NEAR(world.alarms->snoozedUntil().value(alarm.id) - MediaClock::now(), 60 * 60, 1.0);
}

TEST(StatsPopover, FooterActionsReachTheOwner)
{
    PopoverWorld world;
    int settings = 0, update = 0, quit = 0;
    PopoverActions actions;
    actions.openSettings = [&] { ++settings; };
    actions.presentUpdate = [&] { ++update; };
    actions.quit = [&] { ++quit; };
    StatsPopover popover(world.env(), actions, screenOf(1440, 900));
    popover.footer()->settingsButton()->click();
    popover.footer()->quitButton()->click();
    EXPECT_EQ(settings + quit, 0) << "the owner hears of a click after it was handled";
    ASSERT_TRUE(waitUntil([&] { return settings == 1 && quit == 1; }));
    EXPECT_EQ(update, 0);
}

TEST(StatsPopover, AStoredColumnPreferenceThatIsNotAKnownStringReadsAsAuto)
{
    PopoverWorld world;
    for (const QVariant& stored : {QVariant(qint64(2)), QVariant(true), QVariant(QStringLiteral("alwaysThree")),
                                   QVariant(QStringLiteral("ALWAYSONE")), QVariant()}) {
        world.defaults->set(SettingsSchema::popupTwoColumn, stored);
        StatsPopover popover(world.env(), {}, screenOf(1440, 900));
        EXPECT_TRUE(popover.currentSize().twoColumns) << stored.toString().toStdString();
    }
    world.defaults->set(SettingsSchema::popupTwoColumn, QStringLiteral("alwaysOne"));
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    EXPECT_FALSE(popover.currentSize().twoColumns);
    // A change of the preference while open re-lays the columns out.
    world.defaults->set(SettingsSchema::popupTwoColumn, QStringLiteral("alwaysTwo"));
    ASSERT_TRUE(waitUntil([&] { return popover.currentSize().twoColumns; }));
    EXPECT_EQ(popover.width(), 740);
}

// A click on a pin chip acts even when the once-a-second publish lands between
// the press and the release and moves the chip (the detail body above it grows
// with the data): the chip is kept, and the pointer held still decides.
TEST(StatsPopover, APinChipClickSpanningAPublishActs)
{
    PopoverWorld world;
    for (auto& p : world.providers)
        p->withDetail = true;
    world.publish();
    StatsPopover popover(world.env(), {}, screenOf(1440, 900));
    popover.show();
    QApplication::processEvents();
    for (int click = 0; click < 4; ++click) {
        popover.adjustSize(); // fitted to its content, as the popover window keeps it
        QApplication::processEvents();
        SCOPED_TRACE(click);
        ProviderRow* row = popover.rows()[click % popover.rows().size()];
        ASSERT_NE(row->pinBar(), nullptr);
        QPointer<PinChip> chip = row->pinBar()->chips().first();
        const QString provider = row->provider()->id();
        const QString visualizer = chip->visualizerId();
        const bool pinnedBefore = PinBar::isPinned(*world.pins, provider, visualizer);
        const QPoint at = chip->mapToGlobal(chip->rect().center());
        QTest::mousePress(chip, Qt::LeftButton, {}, chip->mapFromGlobal(at));
        for (FakeProvider* p : world.providers) {
            if (p->lastDetail)
                p->lastDetail->growBy = 30;
        }
        for (FakeProvider* p : world.providers)
            p->value = 0.1 * (click + 2);
        world.publish();
        QApplication::processEvents(); // the coalesced update
        // The layout it asked for (slow on a loaded machine).
        waitUntil([&] { return chip.isNull() || chip->mapToGlobal(chip->rect().center()) != at; });
        ASSERT_FALSE(chip.isNull()) << "the chip under the pointer was replaced";
        ASSERT_NE(chip->mapToGlobal(chip->rect().center()), at) << "the publish moved the chip";
        QTest::mouseRelease(chip, Qt::LeftButton, {}, chip->mapFromGlobal(at));
        QApplication::processEvents();
        EXPECT_NE(PinBar::isPinned(*world.pins, provider, visualizer), pinnedBefore);
    }

    // Pinning a pinned-only visualizer elsewhere adds a chip to the bar while
    // another chip is held: the held chip stays and its click acts.
    ProviderRow* row = popover.rows()[0];
    QPointer<PinChip> chip = row->pinBar()->chips().first();
    const QString visualizer = chip->visualizerId();
    const bool pinnedBefore = PinBar::isPinned(*world.pins, QStringLiteral("cpu.total"), visualizer);
    const QPoint at = chip->rect().center();
    QTest::mousePress(chip, Qt::LeftButton, {}, at);
    QList<Pin> pins = world.pins->pins();
    pins.append(Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.sparkline")});
    world.pins->setPins(pins);
    world.publish();
    spinFor(50);
    ASSERT_FALSE(chip.isNull()) << "the held chip was replaced";
    EXPECT_EQ(row->pinBar()->chips().size(), 3);
    QTest::mouseRelease(chip, Qt::LeftButton, {}, at);
    QApplication::processEvents();
    EXPECT_NE(PinBar::isPinned(*world.pins, QStringLiteral("cpu.total"), visualizer), pinnedBefore);
}
