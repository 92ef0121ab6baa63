#include "platform/desktop/SessionLockWatch.h"

#include "FakeLogind.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include "platform/desktop/WorkspaceNotifications.h"

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

    struct Signal {
        const QDBusConnection& from;
        QString path, interface, member;
    };
    const QString logindSession = WorkspaceNotifications::logindSessionInterface;
    const Signal lock{logind.connection(), FakeLogind::sessionPath, logindSession, "Lock"};
    const Signal otherLock{logind.connection(), "/org/freedesktop/login1/session/_33", logindSession, "Lock"};
    const Signal sleep{logind.connection(), FakeLogind::managerPath, WorkspaceNotifications::logindManagerInterface,
                       "PrepareForSleep"};
    const Signal shield{gnome, SessionLockWatch::gnomeScreenSaverPath, SessionLockWatch::gnomeScreenSaverService,
                        "ActiveChanged"};
    const Signal presence{gnome, SessionLockWatch::gnomePresencePath, SessionLockWatch::gnomePresenceInterface,
                          "StatusChanged"};
    const auto send = [](const Signal& s, const QVariant& value) {
        sendSignal(s.from, s.path, s.interface, s.member, value.isValid() ? QVariantList{value} : QVariantList());
    };
    const struct {
        const char* name;
        const Signal& signal;
        QVariant value;
        bool asks;
    } cases[] = {
        {"logind locks our session", lock, {}, true},    {"logind locks another session", otherLock, {}, false},
        {"going to sleep", sleep, true, true},           {"GNOME's shield shows", shield, true, true},
        {"GNOME's shield goes", shield, false, false},   {"GNOME's shield as a number", shield, 1u, false},
        {"GNOME goes idle", presence, 3u, true},         {"GNOME goes busy", presence, 2u, false},
        {"idle as a signed number", presence, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = asked;
        send(c.signal, c.value);
        if (!c.asks) // then one that asks from the same sender: its answer shows the first let pass
            &c.signal.from == &gnome ? send(shield, true) : send(lock, {});
        ASSERT_TRUE(waitUntil([&] { return asked > before; }));
        spinFor(30);
        EXPECT_EQ(asked, before + 1);
    }
}
