#include "app/NoStatusAreaNotice.h"

#include "FakeNotificationServer.h"
#include "FakeTrayIcon.h"
#include "PrivateBus.h"
#include "ScopedEnv.h"
#include "TestSupport.h"
#include "platform/desktop/SessionShell.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/StatusItem.h"

#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QPointer>

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

// No watcher and no tray: after the grace time one notification says what is
// missing (GNOME's extension where GNOME Shell owns its name, whatever the
// desktop variable says) and the window stands in, unless started at login; a
// tray coming closes the window and withdraws the notification; its loss shows
// the window again (at login too, the row having been seen), told no more.
TEST(NoStatusAreaNotice, TellsOnceAndStandsInForTheMissingRow)
{
    using Missing = NoStatusAreaNotice::Missing;
    const struct {
        bool atLogin;
        bool gnomeShell;
        const char* desktop;
        Missing missing;
    } cases[] = {{false, true, "LXQt", Missing::gnomeExtension}, {true, false, "ubuntu:GNOME", Missing::statusArea}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        ScopedEnv desktop("XDG_CURRENT_DESKTOP", c.desktop);
        PrivateBus bus;
        QDBusConnection shell = bus.connect();
        ASSERT_TRUE(!c.gnomeShell || shell.registerService(SessionShell::gnomeShellService));
        FakeNotificationServer server{bus};
        UserNotificationCenter center{bus.connect()};
        UserNotificationCenter::setCurrent(&center);
        QPointer<FakeTrayIcon> tray;
        TrayIcon::setFactory([&]() -> TrayIcon* { return tray = new FakeTrayIcon(false); }); // no tray yet
        StatusItem item(bus.address());
        int shown = 0;
        int closed = 0;
        NoStatusAreaNotice notice(item.statusNotifier(), c.atLogin, {[&] { ++shown; }, [&] { ++closed; }});
        // On GNOME the grace ends before the bus says which shell runs.
        notice.setGraceMs(c.gnomeShell ? 0 : 100);
        notice.setSessionShell(SessionShell(bus.address()));
        notice.start();
        ASSERT_TRUE(waitUntil([&] { return server.notifications().size() == 1; }));
        const auto want = NoStatusAreaNotice::request(c.missing, !c.atLogin);
        EXPECT_EQ(server.notifications()[0].summary, want.title);
        EXPECT_EQ(server.notifications()[0].body, want.body);
        EXPECT_EQ(shown, c.atLogin ? 0 : 1);

        // A tray comes: the row shows, the window goes.
        ASSERT_TRUE(waitUntil([&] { return tray && tray->visible; }));
        tray->setTray(true);
        EXPECT_TRUE(notice.hasStatusArea());
        EXPECT_EQ(closed, c.atLogin ? 0 : 1);
        EXPECT_TRUE(waitUntil([&] { return server.closed() == QList{server.notifications()[0].returnedId}; }));
        // It goes again: the window, even after a start at login; told once.
        // A notification is sent before its window: a call after the window
        // comes back once the server has seen it.
        tray->setTray(false);
        ASSERT_TRUE(waitUntil([&] { return shown == (c.atLogin ? 1 : 2); }));
        bool answered = false;
        center.getNotificationSettings([&](UserNotificationCenter::Settings) { answered = true; });
        ASSERT_TRUE(waitUntil([&] { return answered; }));
        EXPECT_EQ(server.notifications().size(), 1);
        UserNotificationCenter::setCurrent(nullptr);
        TrayIcon::setFactory({});
    }
}

// A watcher coming is no sign that the row shows: the window that stood in
// goes, but the notification stays until the host has read and listed the item.
TEST(NoStatusAreaNotice, IsWithdrawnOnceTheRowIsSeenNotWhenAWatcherComes)
{
    PrivateBus bus;
    FakeNotificationServer server{bus};
    UserNotificationCenter center{bus.connect()};
    UserNotificationCenter::setCurrent(&center);
    TrayIcon::setFactory([] { return new FakeTrayIcon(false); });
    StatusItem item(bus.address());
    SniStatusItem* sni = item.statusNotifier();
    sni->setRegisterWait(600'000); // a registration held back is not given up
    sni->setVerifyDelay(0);
    int closed = 0;
    NoStatusAreaNotice notice(sni, false, {[] {}, [&] { ++closed; }});
    notice.setGraceMs(0);
    notice.setSessionShell(SessionShell(bus.address()));
    notice.start();
    ASSERT_TRUE(waitUntil([&] { return server.notifications().size() == 1; }));

    // The watcher holds the registration back while its host has read nothing.
    QList<QDBusMessage> held;
    QStringList listed;
    FakeDBusObject watcherObject(QString(), [&](const QDBusMessage& call) {
        if (call.member() != QLatin1String("RegisterStatusNotifierItem"))
            return call.createReply(QVariant::fromValue(QDBusVariant(listed)));
        call.setDelayedReply(true);
        held << call;
        return QDBusMessage();
    });
    QDBusConnection watcher = bus.connect();
    ASSERT_TRUE(watcher.registerVirtualObject(SniStatusItem::watcherPath, &watcherObject)
                && watcher.registerService(SniStatusItem::watcherService));
    ASSERT_TRUE(waitUntil([&] { return closed == 1 && held.size() == 1; }));
    bool answered = false; // after any withdrawal the notice sent
    center.getNotificationSettings([&](UserNotificationCenter::Settings) { answered = true; });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_TRUE(server.closed().isEmpty()) << "withdrawn while the row is unseen";

    // The host reads the item, the watcher lists it and answers.
    const QString name = held[0].arguments().value(0).toString();
    QDBusMessage read = QDBusMessage::createMethodCall(
        name, SniStatusItem::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    QDBusPendingCall reading = watcher.asyncCall(read << QStringLiteral("org.kde.StatusNotifierItem"), 3000);
    ASSERT_TRUE(waitUntil([&] { return reading.isFinished(); }));
    listed << name;
    watcher.send(held[0].createReply());
    EXPECT_TRUE(waitUntil([&] { return server.closed() == QList{server.notifications()[0].returnedId}; }));
    UserNotificationCenter::setCurrent(nullptr);
    TrayIcon::setFactory({});
}
