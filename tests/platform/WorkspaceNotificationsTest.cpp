#include "platform/desktop/WorkspaceNotifications.h"

#include "FakeLogind.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// Records the four notifications in order as "sleep", "wake", "resign", "active".
struct Recorder {
    QStringList events;
    explicit Recorder(WorkspaceNotifications& w)
    {
        QObject::connect(&w, &WorkspaceNotifications::screensDidSleep, [this] { events << "sleep"; });
        QObject::connect(&w, &WorkspaceNotifications::screensDidWake, [this] { events << "wake"; });
        QObject::connect(&w, &WorkspaceNotifications::sessionDidResignActive, [this] { events << "resign"; });
        QObject::connect(&w, &WorkspaceNotifications::sessionDidBecomeActive, [this] { events << "active"; });
    }
};

} // namespace

TEST(WorkspaceNotifications, LogindSleepAndSessionActivityBecomeNotifications)
{
    PrivateBus systemBus;
    PrivateBus sessionBus;
    FakeLogind logind(systemBus);
    ASSERT_TRUE(logind.isRegistered());
    WorkspaceNotifications workspace(systemBus.connect(), sessionBus.connect());
    Recorder recorder(workspace);
    ASSERT_TRUE(waitUntil([&] { return !workspace.sessionPath().isEmpty(); }));
    EXPECT_EQ(workspace.sessionPath(), FakeLogind::sessionPath);
    EXPECT_EQ(logind.sessionLookups(), 1);

    // Values of other types are none, whatever they would convert to.
    const QVariant ints = QVariant::fromValue(QList<int>{1});
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    sendSignal(logind.connection(), FakeLogind::managerPath, "org.freedesktop.login1.Manager", "PrepareForSleep",
               {ints});
    sendSignal(logind.connection(), FakeLogind::sessionPath, properties, "PropertiesChanged",
               {"org.freedesktop.login1.Session", ints, QStringList()});
    sendSignal(logind.connection(), FakeLogind::sessionPath, properties, "PropertiesChanged",
               {"org.freedesktop.login1.Session", QVariantMap{{"Active", "false"}}, QStringList()});
    logind.prepareForSleep(true);
    logind.prepareForSleep(false);
    logind.setActive(false);
    logind.setActive(true);
    logind.setActive(false, /*asInvalidated=*/true);
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() >= 5; }));
    spinFor(30);
    EXPECT_EQ(recorder.events, (QStringList{"sleep", "wake", "resign", "active", "resign"}));
}

TEST(WorkspaceNotifications, ScreenSaverActivityIsScreensSleepAndWake)
{
    PrivateBus systemBus;
    PrivateBus sessionBus;
    FakeScreenSaver screensaver(sessionBus);
    ASSERT_TRUE(screensaver.isRegistered());
    WorkspaceNotifications workspace(systemBus.connect(), sessionBus.connect());
    Recorder recorder(workspace);
    spinFor(100); // the match rule and the name owner reach the bus
    sendSignal(screensaver.connection(), "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged",
               {QVariant::fromValue(QList<int>{1})}); // of another type: none
    screensaver.activeChanged(true);
    screensaver.activeChanged(false);
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() >= 2; }));
    EXPECT_EQ(recorder.events, (QStringList{"sleep", "wake"}));
}

TEST(WorkspaceNotifications, SignalsFromAnotherSenderThanTheServiceOwnerAreIgnored)
{
    PrivateBus systemBus;
    FakeLogind logind(systemBus);
    WorkspaceNotifications workspace(systemBus.connect(), QDBusConnection(QStringLiteral("no-such-connection")));
    Recorder recorder(workspace);
    ASSERT_TRUE(waitUntil([&] { return !workspace.sessionPath().isEmpty(); }));
    QDBusConnection impostor = systemBus.connect();
    QDBusMessage s = QDBusMessage::createSignal(FakeLogind::managerPath, "org.freedesktop.login1.Manager",
                                                "PrepareForSleep");
    s << true;
    impostor.send(s);
    logind.prepareForSleep(false);
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); }));
    spinFor(30);
    EXPECT_EQ(recorder.events, QStringList{"wake"});
}

TEST(WorkspaceNotifications, WithoutBusesNothingIsWatchedAndNothingFails)
{
    WorkspaceNotifications workspace(QDBusConnection(QStringLiteral("no-system")),
                                     QDBusConnection(QStringLiteral("no-session")));
    Recorder recorder(workspace);
    spinFor(30);
    EXPECT_TRUE(recorder.events.isEmpty());
    EXPECT_TRUE(workspace.sessionPath().isEmpty());
}

TEST(WorkspaceNotifications, WithoutLogindTheScreenSaverStillCounts)
{
    PrivateBus systemBus; // no logind on it
    PrivateBus sessionBus;
    FakeScreenSaver screensaver(sessionBus);
    WorkspaceNotifications workspace(systemBus.connect(), sessionBus.connect());
    Recorder recorder(workspace);
    spinFor(100);
    screensaver.activeChanged(true);
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); }));
    EXPECT_EQ(recorder.events, QStringList{"sleep"});
    EXPECT_TRUE(workspace.sessionPath().isEmpty());
}
