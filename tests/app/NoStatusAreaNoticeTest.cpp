#include "app/NoStatusAreaNotice.h"

#include "FakeNotificationServer.h"
#include "PrivateBus.h"
#include "TestSupport.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/StatusItem.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

// No watcher and no tray: after the grace time one notification says what is
// missing and the window stands in, unless started at login; the row's
// return closes the window; a later loss shows it again, told no more.
TEST(NoStatusAreaNotice, TellsOnceAndStandsInForTheMissingRow)
{
    using Missing = NoStatusAreaNotice::Missing;
    const struct {
        bool atLogin;
        const char* desktop;
        Missing missing;
    } cases[] = {{false, "ubuntu:GNOME", Missing::gnomeExtension}, {true, "LXQt", Missing::statusArea}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        PrivateBus bus;
        FakeNotificationServer server{bus};
        UserNotificationCenter center{bus.connect()};
        UserNotificationCenter::setCurrent(&center);
        StatusItem item(bus.address());
        int shown = 0;
        int closed = 0;
        NoStatusAreaNotice notice(item.statusNotifier(), c.atLogin, {[&] { ++shown; }, [&] { ++closed; }});
        notice.setGraceMs(100);
        notice.setDesktop(QString::fromLatin1(c.desktop));
        notice.start();
        ASSERT_TRUE(waitUntil([&] { return server.notifications().size() == 1; }));
        const auto want = NoStatusAreaNotice::request(c.missing, !c.atLogin);
        EXPECT_EQ(server.notifications()[0].summary, want.title);
        EXPECT_EQ(server.notifications()[0].body, want.body);
        EXPECT_EQ(shown, c.atLogin ? 0 : 1);

        // A panel's watcher comes: the row shows, the window goes.
        QDBusConnection panel = bus.connect();
        ASSERT_TRUE(panel.registerService(SniStatusItem::watcherService));
        ASSERT_TRUE(waitUntil([&] { return notice.hasStatusArea(); }));
        EXPECT_EQ(closed, c.atLogin ? 0 : 1);
        // It goes again: the window, even after a start at login; told once.
        panel.unregisterService(SniStatusItem::watcherService);
        ASSERT_TRUE(waitUntil([&] { return shown == (c.atLogin ? 1 : 2); }));
        EXPECT_EQ(server.notifications().size(), 1);
        UserNotificationCenter::setCurrent(nullptr);
    }
}
