#include "platform/desktop/ShellOverview.h"

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

// The popover opens as soon as the shell says its overview has gone, or at
// once when the shell refuses to leave it: never by the leave timeout, which
// here lies far beyond every wait.
TEST(ShellOverview, APopoverWaitsUntilTheShellHasLeftItsOverview)
{
    // GNOME Shell's OverviewActive: Get answers it, Set is noted (or refused),
    // and say() announces a change as the shell does once the overview has
    // shown or gone.
    PrivateBus bus;
    QDBusConnection shell = bus.connect();
    bool shown = true;
    bool refuses = false;
    QList<bool> sets;
    FakeDBusObject object(QString(), [&](const QDBusMessage& call) {
        if (call.member() != QLatin1String("Set"))
            return call.createReply(QVariant::fromValue(QDBusVariant(shown)));
        sets << call.arguments().value(2).value<QDBusVariant>().variant().toBool();
        return refuses ? call.createErrorReply(QDBusError::AccessDenied, QStringLiteral("not now"))
                       : call.createReply();
    });
    ASSERT_TRUE(shell.registerVirtualObject(ShellOverview::shellPath, &object)
                && shell.registerService(ShellOverview::shellService));
    const auto say = [&](bool now) {
        shown = now;
        QDBusMessage signal =
            QDBusMessage::createSignal(ShellOverview::shellPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("PropertiesChanged"));
        shell.send(signal << ShellOverview::shellInterface << QVariantMap{{ShellOverview::activeProperty, now}}
                          << QStringList());
    };
    ShellOverview overview(bus.connect(), 600'000);
    ASSERT_TRUE(waitUntil([&] { return overview.isShown(); }));

    int opened = 0;
    overview.leave([&] { ++opened; });
    overview.leave([&] { ++opened; }); // a second click while the first waits
    ASSERT_TRUE(waitUntil([&] { return !sets.isEmpty(); }));
    EXPECT_EQ(opened, 0) << "not before the shell says the overview has gone";
    say(false);
    ASSERT_TRUE(waitUntil([&] { return opened == 2; }));
    EXPECT_EQ(sets, QList<bool>{false}) << "asked once";
    overview.leave([&] { ++opened; });
    EXPECT_EQ(opened, 3) << "no overview: at once";

    // A shell that quits lets a waiting popover open; one that starts again
    // (in its overview) is read anew.
    say(true);
    ASSERT_TRUE(waitUntil([&] { return overview.isShown(); }));
    overview.leave([&] { ++opened; });
    ASSERT_TRUE(shell.interface()->unregisterService(ShellOverview::shellService));
    ASSERT_TRUE(waitUntil([&] { return opened == 4 && !overview.isShown(); }));
    ASSERT_TRUE(shell.registerService(ShellOverview::shellService));
    ASSERT_TRUE(waitUntil([&] { return overview.isShown(); }));

    // A shell that refuses: at once, still in its overview.
    refuses = true;
    overview.leave([&] { ++opened; });
    ASSERT_TRUE(waitUntil([&] { return opened == 5; }));
    EXPECT_TRUE(overview.isShown());

    // A change announced with other types is none; the next is followed.
    sendSignal(shell, ShellOverview::shellPath, QStringLiteral("org.freedesktop.DBus.Properties"),
               QStringLiteral("PropertiesChanged"),
               {ShellOverview::shellInterface, QVariant::fromValue(QList<int>{1}), QStringList()});
    say(false);
    EXPECT_TRUE(waitUntil([&] { return !overview.isShown(); }));
}
