#pragma once

// Shared set-up of the alarm tests: in-memory defaults, a hand-moved media
// clock, a notification centre on a private bus with a fake server, the
// alarms log captured, and registries of test providers whose values the
// test sets.

#include "FakeNotificationServer.h"
#include "LogCapture.h"
#include "PrivateBus.h"
#include "ScopedEnv.h"
#include "TestSupport.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmManager.h"
#include "alarms/AlarmNotificationDelegate.h"
#include "alarms/SoundRegistry.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "stats/StatRegistry.h"

#include <QColor>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace gaugelet::test {

class TestProvider : public StatProvider {
public:
    TestProvider(QString id, QString name) : m_id(std::move(id)), m_name(std::move(name)) {}
    double value = 0;
    bool firstReading = false;

    QString id() const override { return m_id; }
    QString displayName() const override { return m_name; }
    QString shortName() const override { return m_name; }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette&) const override { return QColor(Qt::red); }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot snapshot;
        snapshot.value = value;
        snapshot.label = QString::number(value);
        snapshot.isFirstReading = firstReading;
        co_return snapshot;
    }

private:
    QString m_id;
    QString m_name;
};

// An environment variable set for the length of a scope.

inline Alarm makeAlarm(const QString& providerId = QStringLiteral("cpu.total"), double threshold = 0.8,
                       Alarm::Direction direction = Alarm::Direction::above, double repeatInterval = 30,
                       bool notify = false, qint64 snoozeMinutes = 15)
{
    Alarm a;
    a.id = QUuid::createUuid();
    a.providerId = providerId;
    a.threshold = threshold;
    a.direction = direction;
    a.repeatInterval = repeatInterval;
    a.enabled = true;
    a.notify = notify;
    a.notifySnoozeMinutes = snoozeMinutes;
    return a;
}

inline StatRegistry::Snapshots snapshotsOf(const QString& providerId, double value)
{
    StatSnapshot s;
    s.providerId = providerId;
    s.value = value;
    return {{providerId, s}};
}

class AlarmFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isValid());
        server = std::make_unique<FakeNotificationServer>(bus);
        ASSERT_TRUE(server->isRegistered());
        center = std::make_unique<UserNotificationCenter>(bus.connect());
        UserNotificationCenter::setCurrent(center.get());
        SoundRegistry::installed().clear();
        AlarmNotificationDelegate::registeredSnoozeLengths().clear();
    }

    void TearDown() override
    {
        UserNotificationCenter::setCurrent(nullptr);
        SoundRegistry::installed().clear();
    }

    // A manager with no sample alarm (the seeding already happened).
    std::unique_ptr<AlarmManager> makeManager(const QList<Alarm>& alarms = {})
    {
        defaults->set(SettingsSchema::sampleAlarmSeeded, true);
        auto manager = std::make_unique<AlarmManager>();
        if (!alarms.isEmpty())
            manager->setAlarms(alarms);
        EXPECT_TRUE(waitUntil([&] { return !manager->isRebuilding(); }));
        return manager;
    }

    void settle(AlarmManager& manager)
    {
        EXPECT_TRUE(waitUntil([&] { return !manager.isRebuilding(); }));
    }

    ScopedDefaults defaults;
    ManualMediaClock clock{1000.0};
    LogCapture log{QStringLiteral("dev.gaugelet.alarms")};
    PrivateBus bus;
    std::unique_ptr<FakeNotificationServer> server;
    std::unique_ptr<UserNotificationCenter> center;
};

} // namespace gaugelet::test
