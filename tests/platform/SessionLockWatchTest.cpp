#include "platform/desktop/SessionLockWatch.h"

#include "FakeLogind.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include "platform/desktop/WorkspaceNotifications.h"

#include <QDBusMessage>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(SessionLockWatch, LockSleepAndIdleOfTheRightTypesAskForTheLockAndNothingElseDoes)
{
    PrivateBus systemBus;
    PrivateBus sessionBus;
    FakeLogind logind(systemBus);
    QDBusConnection gnome = sessionBus.connect();
    ASSERT_TRUE(logind.isRegistered());
    ASSERT_TRUE(gnome.registerService(SessionLockWatch::gnomeScreenSaverService));
    ASSERT_TRUE(gnome.registerService(SessionLockWatch::gnomePresenceService));
    WorkspaceNotifications workspace(systemBus.connect(), sessionBus.connect());
    SessionLockWatch watch(&workspace, systemBus.connect(), sessionBus.connect());
    int asked = 0;
    QObject::connect(&watch, &SessionLockWatch::sessionWillLock, [&] { ++asked; });
    ASSERT_TRUE(waitUntil([&] { return !workspace.sessionPath().isEmpty(); }));
    spinFor(100); // the match rules reach the buses

    const auto lock = [](const QString& path) {
        return QDBusMessage::createSignal(path, WorkspaceNotifications::logindSessionInterface, "Lock");
    };
    const auto sleep = [](const QVariant& start) {
        return QDBusMessage::createSignal(FakeLogind::managerPath, WorkspaceNotifications::logindManagerInterface,
                                          "PrepareForSleep")
               << start;
    };
    const auto shield = [](const QVariant& active) {
        return QDBusMessage::createSignal(SessionLockWatch::gnomeScreenSaverPath,
                                          SessionLockWatch::gnomeScreenSaverService, "ActiveChanged")
               << active;
    };
    const auto presence = [](const QVariant& status) {
        return QDBusMessage::createSignal(SessionLockWatch::gnomePresencePath, SessionLockWatch::gnomePresenceInterface,
                                          "StatusChanged")
               << status;
    };
    struct Case {
        const char* name;
        bool fromLogind;
        QDBusMessage message;
        // The one of the same sender that asks, sent after a message that
        // should not, so that its answer shows the first was let pass.
        QDBusMessage asking;
        bool asks;
    };
    const Case cases[] = {
        {"logind locks our session", true, lock(FakeLogind::sessionPath), {}, true},
        {"logind locks another session", true, lock("/org/freedesktop/login1/session/_33"),
         lock(FakeLogind::sessionPath), false},
        {"going to sleep", true, sleep(true), {}, true},
        {"waking", true, sleep(false), sleep(true), false},
        {"sleep as a string", true, sleep(QStringLiteral("true")), sleep(true), false},
        {"GNOME's shield shows", false, shield(true), {}, true},
        {"GNOME's shield goes", false, shield(false), shield(true), false},
        {"GNOME's shield as a number", false, shield(1u), shield(true), false},
        {"GNOME goes idle", false, presence(3u), {}, true},
        {"GNOME goes busy", false, presence(2u), presence(3u), false},
        {"idle as a signed number", false, presence(3), presence(3u), false},
        {"idle as a string", false, presence(QStringLiteral("3")), presence(3u), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = asked;
        const auto send = [&](const QDBusMessage& m) { c.fromLogind ? logind.send(m) : void(gnome.send(m)); };
        send(c.message);
        if (!c.asks)
            send(c.asking);
        ASSERT_TRUE(waitUntil([&] { return asked > before; }));
        spinFor(30);
        EXPECT_EQ(asked, before + 1);
    }
}
