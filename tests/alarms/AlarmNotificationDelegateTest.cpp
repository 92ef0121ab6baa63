#include "alarms/AlarmNotificationDelegate.h"

#include "AlarmFixture.h"
#include "schema/SettingsSchema.h"

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

class AlarmNotificationDelegateActions : public AlarmFixture {
protected:
    // Posts the alarm's notification through the manager and waits until
    // the centre knows the server's id for it.
    quint32 posted(AlarmManager& manager, const Alarm& alarm, bool test = false)
    {
        manager.postNotification(alarm, test);
        const QString identifier = AlarmManager::notificationIdentifier(alarm, test);
        EXPECT_TRUE(waitUntil([&] { return center->serverId(identifier) != 0; }));
        return center->serverId(identifier);
    }
};

UserNotificationCenter::Response response(const QString& action, const QVariant& alarmId)
{
    UserNotificationCenter::Response r;
    r.actionIdentifier = action;
    r.requestIdentifier = "alarm.x";
    if (alarmId.isValid())
        r.userInfo.insert("alarmId", alarmId);
    return r;
}

} // namespace

TEST_F(AlarmNotificationDelegateActions, SuppressFromTheNotificationDisablesTheAlarm)
{
    const Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true);
    auto manager = makeManager({a});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    ASSERT_TRUE(manager->firing().contains(a.id));
    const QString identifier = AlarmManager::notificationIdentifier(a, false);
    ASSERT_TRUE(waitUntil([&] { return center->serverId(identifier) != 0; }));

    server->emitActionInvoked(center->serverId(identifier), "ALARM_SUPPRESS");
    ASSERT_TRUE(waitUntil([&] { return !manager->alarms().first().enabled; }));
    EXPECT_FALSE(manager->firing().contains(a.id));
    EXPECT_FALSE(Alarm::decodeList(*defaults->data(SettingsSchema::alarms))->first().enabled);
    settle(*manager);
}

TEST_F(AlarmNotificationDelegateActions, SnoozeUsesTheAlarmsCurrentLengthNotTheNotificationsOne)
{
    Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true, 15);
    auto manager = makeManager({a});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    const quint32 id = posted(*manager, a);
    EXPECT_EQ(server->notifications().last().actions.at(3), "Snooze 15m");

    a.notifySnoozeMinutes = 30;
    manager->setAlarms({a});
    server->emitActionInvoked(id, "ALARM_SNOOZE");
    ASSERT_TRUE(waitUntil([&] { return manager->snoozedUntil().contains(a.id); }));
    EXPECT_DOUBLE_EQ(manager->snoozedUntil().value(a.id), 1000.0 + 30 * 60);
    settle(*manager);
}

TEST_F(AlarmNotificationDelegateActions, ActionsOnATestNotificationActOnTheRealAlarm)
{
    const Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true, 10);
    auto manager = makeManager({a});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    const quint32 id = posted(*manager, a, /*test=*/true);
    EXPECT_TRUE(server->notifications().last().summary.startsWith("[TEST] "));
    server->emitActionInvoked(id, "ALARM_SNOOZE");
    ASSERT_TRUE(waitUntil([&] { return manager->snoozedUntil().contains(a.id); }));
    EXPECT_DOUBLE_EQ(manager->snoozedUntil().value(a.id), 1000.0 + 600);
}

TEST_F(AlarmNotificationDelegateActions, SnoozeForAnAlarmThatIsGoneUsesFiveMinutesAndIsPrunedLater)
{
    auto manager = makeManager({makeAlarm()});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    const QUuid gone = QUuid::createUuid();
    bool completed = false;
    delegate.didReceive(response("ALARM_SNOOZE", uuidString(gone)), [&] { completed = true; });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    EXPECT_DOUBLE_EQ(manager->snoozedUntil().value(gone), 1000.0 + 300);
    manager->setAlarms(manager->alarms());
    EXPECT_FALSE(manager->snoozedUntil().contains(gone));

    completed = false;
    delegate.didReceive(response("ALARM_SUPPRESS", uuidString(gone)), [&] { completed = true; });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    EXPECT_TRUE(manager->alarms().first().enabled);
    settle(*manager);
}

TEST_F(AlarmNotificationDelegateActions, MissingOrInvalidAlarmIdIsLoggedAndCompleted)
{
    auto manager = makeManager({makeAlarm()});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    int completions = 0;
    delegate.didReceive(response("ALARM_SUPPRESS", QVariant()), [&] { ++completions; });
    delegate.didReceive(response("ALARM_SUPPRESS", "not-a-uuid"), [&] { ++completions; });
    delegate.didReceive(response("ALARM_SUPPRESS", QVariant(42)), [&] { ++completions; });
    EXPECT_EQ(completions, 3);
    EXPECT_EQ(log.count("notification action received with no/invalid alarmId"), 3);
    spinFor(20);
    EXPECT_TRUE(manager->alarms().first().enabled);
}

TEST_F(AlarmNotificationDelegateActions, OtherActionsDoNothingAndAGoneManagerOnlyCompletes)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    bool completed = false;
    delegate.didReceive(response("default", a.idString()), [&] { completed = true; });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    EXPECT_TRUE(manager->alarms().first().enabled);
    EXPECT_TRUE(manager->snoozedUntil().isEmpty());

    settle(*manager);
    manager.reset();
    completed = false;
    delegate.didReceive(response("ALARM_SUPPRESS", a.idString()), [&] { completed = true; });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
}

TEST_F(AlarmNotificationDelegateActions, CategoriesAreOnePerLengthAndAttachStartsAfresh)
{
    AlarmNotificationDelegate delegate;
    delegate.attach(nullptr);
    AlarmNotificationDelegate::ensureCategory(15);
    AlarmNotificationDelegate::ensureCategory(5);
    AlarmNotificationDelegate::ensureCategory(15);
    ASSERT_EQ(center->notificationCategories().size(), 2);
    const auto c = AlarmNotificationDelegate::category(15);
    EXPECT_EQ(c.identifier, "ALARM_FIRE_15");
    ASSERT_EQ(c.actions.size(), 2);
    EXPECT_EQ(c.actions[0].identifier, "ALARM_SUPPRESS");
    EXPECT_EQ(c.actions[0].title, "Suppress");
    EXPECT_TRUE(c.actions[0].destructive);
    EXPECT_EQ(c.actions[1].identifier, "ALARM_SNOOZE");
    EXPECT_EQ(c.actions[1].title, "Snooze 15m");
    EXPECT_FALSE(c.actions[1].destructive);

    delegate.attach(nullptr);
    EXPECT_TRUE(center->notificationCategories().isEmpty());
    EXPECT_TRUE(AlarmNotificationDelegate::registeredSnoozeLengths().isEmpty());
    EXPECT_EQ(center->delegate(), &delegate);
}
