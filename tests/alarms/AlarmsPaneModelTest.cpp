#include "alarms/AlarmsPaneModel.h"

#include "AlarmsPaneFixture.h"

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class AlarmsPaneModelTest : public AlarmsPane {};
} // namespace

TEST_F(AlarmsPaneModelTest, AddingRespectsTheSoftCapAndTheCountLineDoesNot)
{
    struct Case {
        int alarms;
        bool enabled;
        const char* help;
        const char* count;
    };
    const Case cases[] = {
        {0, true, "Add a threshold alarm.", "0 of 10 alarms configured."},
        {9, true, "Add a threshold alarm.", "9 of 10 alarms configured."},
        {10, false, "Soft cap reached (10). Delete one to add another.", "10 of 10 alarms configured."},
        {12, false, "Soft cap reached (10). Delete one to add another.", "12 of 10 alarms configured."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alarms);
        manager = makeManager(alarmsOn("cpu.total", c.alarms));
        AlarmsPaneModel model(manager.get(), registry.get());
        EXPECT_EQ(model.canAdd(), c.enabled);
        EXPECT_EQ(AlarmsPaneModel::addHelpText(model.count()), c.help);
        EXPECT_EQ(AlarmsPaneModel::countLineText(model.count()), c.count);
        EXPECT_EQ(model.rowIds().size(), c.alarms);
        settle(*manager);
    }
}

TEST_F(AlarmsPaneModelTest, NewAlarmTakesTheFirstProviderAndItsFloor)
{
    manager = makeManager({});
    QSignalSpy writes(manager.get(), &AlarmManager::alarmsChanged);
    AlarmsPaneModel model(manager.get(), registry.get());
    model.addAlarm();
    EXPECT_EQ(writes.count(), 1);
    ASSERT_EQ(manager->alarms().size(), 1);
    const Alarm a = manager->alarms().at(0);
    EXPECT_FALSE(a.id.isNull());
    EXPECT_EQ(a.providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(a.threshold, 0.8);
    EXPECT_EQ(a.direction, Alarm::Direction::above);
    EXPECT_DOUBLE_EQ(a.repeatInterval, 10);
    EXPECT_TRUE(a.enabled);
    EXPECT_TRUE(a.notify);
    EXPECT_EQ(a.notifySnoozeMinutes, 15);
    EXPECT_FALSE(a.soundBookmark || a.bundledSoundId);
    EXPECT_EQ(model.rowIds(), QList<QUuid>{a.id});

    // A slow first provider sets the floor.
    StatRegistry slowFirst(StatRegistry::Providers{slow, cpu});
    AlarmsPaneModel onSlow(manager.get(), &slowFirst);
    onSlow.addAlarm();
    EXPECT_DOUBLE_EQ(manager->alarms().last().repeatInterval, 20);
    EXPECT_EQ(manager->alarms().last().providerId, "slow.total");
    settle(*manager);
}

TEST_F(AlarmsPaneModelTest, WithoutProvidersNothingIsAdded)
{
    registry = std::make_unique<StatRegistry>(StatRegistry::Providers{});
    manager = makeManager({});
    QSignalSpy writes(manager.get(), &AlarmManager::alarmsChanged);
    AlarmsPaneModel model(manager.get(), registry.get());
    EXPECT_FALSE(model.canAdd());
    model.addAlarm();
    EXPECT_EQ(writes.count(), 0);
    settle(*manager);
}

TEST_F(AlarmsPaneModelTest, EachAlarmIdGetsOneRowInListOrder)
{
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm();
    manager = makeManager({a, b, a});
    AlarmsPaneModel model(manager.get(), registry.get());
    EXPECT_EQ(model.rowIds(), (QList<QUuid>{a.id, b.id}));
    settle(*manager);
}
