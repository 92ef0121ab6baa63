#include "platform/desktop/UserNotificationCenter.h"

#include "Dunst.h"
#include "FakeNotificationServer.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

using Center = UserNotificationCenter;

class RecordingDelegate : public Center::Delegate {
public:
    int options = Center::presentBanner;
    QList<Center::Response> responses;
    int willPresent(const Center::Request&) override { return options; }
    void didReceive(const Center::Response& response, std::function<void()> completion) override
    {
        responses.append(response);
        completion();
    }
};

Center::Category fireCategory(int minutes)
{
    return {QStringLiteral("ALARM_FIRE_%1").arg(minutes),
            {{"ALARM_SUPPRESS", "Suppress", true}, {"ALARM_SNOOZE", QStringLiteral("Snooze %1m").arg(minutes), false}}};
}

Center::Request request(const QString& identifier, const QString& title, int minutes = 15)
{
    return {identifier, title, QStringLiteral("Snooze %1m or dismiss to silence.").arg(minutes),
            QStringLiteral("ALARM_FIRE_%1").arg(minutes), {{"alarmId", identifier.section('.', -1)}}};
}

// Posts and waits for the completion; the error when there was one.
std::optional<Center::Error> post(Center& center, const Center::Request& r)
{
    bool done = false;
    std::optional<Center::Error> result;
    center.add(r, [&](std::optional<Center::Error> error) {
        result = error;
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done; }));
    return result;
}

} // namespace

TEST(UserNotificationCenter, DunstShowsThePostedNotificationOncePerIdentifier)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isValid());
    Dunst dunst(bus);
    ASSERT_TRUE(dunst.isReady()) << "dunst did not take org.freedesktop.Notifications";

    Center center(bus.connect());
    bool granted = false;
    bool answered = false;
    center.requestAuthorization(Center::alert | Center::sound, [&](bool g, std::optional<Center::Error> e) {
        granted = g && !e;
        answered = true;
    });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_TRUE(granted);

    center.setNotificationCategories({fireCategory(15)});
    const QString a = "alarm.0F8FAD5B-D9CB-469F-A165-70867728950E";
    const QString b = "alarm.1A2B3C4D-0000-4000-8000-000000000001";
    EXPECT_FALSE(post(center, request(a, "CPU \u2265 80%")));
    const quint32 first = center.serverId(a);
    EXPECT_NE(first, 0u);
    EXPECT_FALSE(post(center, request(a, "CPU \u2265 81%")));
    EXPECT_EQ(center.serverId(a), first) << "a second post of one identifier replaces the first";
    EXPECT_FALSE(post(center, request(b, "Memory \u2264 20%")));
    EXPECT_NE(center.serverId(b), first);

    dunst.dunstctl({"close-all"});
    QStringList bodies;
    QStringList summaries;
    ASSERT_TRUE(waitUntil([&] {
        bodies.clear();
        summaries = dunst.historySummaries(&bodies);
        return summaries.size() >= 2;
    }));
    summaries.sort();
    EXPECT_EQ(summaries, (QStringList{"CPU \u2265 81%", "Memory \u2264 20%"}));
    EXPECT_TRUE(bodies.contains("Snooze 15m or dismiss to silence."));
}

TEST(UserNotificationCenter, NotifySendsCategoryActionsSilenceHintAndReplacesId)
{
    PrivateBus bus;
    FakeNotificationServer server(bus);
    ASSERT_TRUE(server.isRegistered());
    Center center(bus.connect());
    center.setNotificationCategories({fireCategory(5), fireCategory(15)});

    const QString id = "alarm.0F8FAD5B-D9CB-469F-A165-70867728950E";
    EXPECT_FALSE(post(center, request(id, "CPU \u2265 80%", 15)));
    EXPECT_FALSE(post(center, request(id, "CPU \u2265 80%", 15)));
    EXPECT_FALSE(post(center, request("alarm.preview.0F8FAD5B-D9CB-469F-A165-70867728950E", "[TEST] CPU \u2265 80%", 5)));
    ASSERT_EQ(server.notifications().size(), 3);

    const auto& n = server.notifications().at(0);
    EXPECT_EQ(n.appName, "Gaugelet");
    EXPECT_EQ(n.replacesId, 0u);
    EXPECT_EQ(n.summary, "CPU \u2265 80%");
    EXPECT_EQ(n.body, "Snooze 15m or dismiss to silence.");
    EXPECT_EQ(n.actions, (QStringList{"ALARM_SUPPRESS", "Suppress", "ALARM_SNOOZE", "Snooze 15m"}));
    EXPECT_EQ(n.hints.value("suppress-sound").toBool(), true);
    EXPECT_EQ(n.timeout, -1);

    EXPECT_EQ(server.notifications().at(1).replacesId, n.returnedId);
    EXPECT_EQ(server.notifications().at(2).replacesId, 0u) << "a test notification has its own identifier";
    EXPECT_EQ(server.notifications().at(2).actions.at(3), "Snooze 5m");
}

TEST(UserNotificationCenter, ClosedNotificationIsPostedAfreshNextTime)
{
    PrivateBus bus;
    FakeNotificationServer server(bus);
    Center center(bus.connect());
    const QString id = "alarm.0F8FAD5B-D9CB-469F-A165-70867728950E";
    EXPECT_FALSE(post(center, request(id, "x")));
    const quint32 serverId = center.serverId(id);
    server.emitClosed(serverId);
    ASSERT_TRUE(waitUntil([&] { return center.serverId(id) == 0; }));
    EXPECT_FALSE(post(center, request(id, "x")));
    EXPECT_EQ(server.notifications().last().replacesId, 0u);

    // Withdrawn: closed by its id, and also when its post is still on its way.
    center.removeDeliveredNotifications({id});
    center.add(request(id, "y"));
    center.removeDeliveredNotifications({id});
    ASSERT_TRUE(waitUntil([&] { return server.closed().size() == 2; }));
    EXPECT_EQ(server.closed(), (QList{server.notifications()[1].returnedId, server.notifications()[2].returnedId}));
    EXPECT_EQ(center.serverId(id), 0u);
}

TEST(UserNotificationCenter, ADaemonThatComesBackStartsWithNoneOfTheOldIds)
{
    PrivateBus bus;
    auto first = std::make_unique<FakeNotificationServer>(bus);
    ASSERT_TRUE(first->isRegistered());
    Center center(bus.connect());
    RecordingDelegate delegate;
    center.setDelegate(&delegate);
    center.setNotificationCategories({fireCategory(15)});
    const QString id = "alarm.0F8FAD5B-D9CB-469F-A165-70867728950E";
    EXPECT_FALSE(post(center, request(id, "x")));
    const quint32 oldId = center.serverId(id);
    ASSERT_NE(oldId, 0u);

    // The daemon goes away without closing anything, and a new one numbers afresh.
    first.reset();
    FakeNotificationServer second(bus);
    ASSERT_TRUE(second.isRegistered());
    ASSERT_TRUE(waitUntil([&] { return center.serverId(id) == 0; }));

    // Another program's notification now holds the old number; its action is not ours.
    Center other(bus.connect());
    EXPECT_FALSE(post(other, request("other.app", "y")));
    ASSERT_EQ(other.serverId("other.app"), oldId);
    second.emitActionInvoked(oldId, "ALARM_SUPPRESS");
    spinFor(100);
    EXPECT_TRUE(delegate.responses.isEmpty());

    // Our next post is a new notification, not a replacement of theirs, and its actions arrive.
    EXPECT_FALSE(post(center, request(id, "x")));
    EXPECT_EQ(second.notifications().last().replacesId, 0u);
    second.emitActionInvoked(center.serverId(id), "ALARM_SNOOZE");
    ASSERT_TRUE(waitUntil([&] { return !delegate.responses.isEmpty(); }));
    EXPECT_EQ(delegate.responses[0].actionIdentifier, "ALARM_SNOOZE");
    EXPECT_EQ(delegate.responses[0].requestIdentifier, id);
}

TEST(UserNotificationCenter, ActionInvokedReachesTheDelegateWithTheRequestsUserInfo)
{
    PrivateBus bus;
    FakeNotificationServer server(bus);
    Center center(bus.connect());
    RecordingDelegate delegate;
    center.setDelegate(&delegate);
    center.setNotificationCategories({fireCategory(15)});
    const QString id = "alarm.0F8FAD5B-D9CB-469F-A165-70867728950E";
    EXPECT_FALSE(post(center, request(id, "x")));

    server.emitActionInvoked(center.serverId(id) + 100, "ALARM_SNOOZE"); // not ours: ignored
    const QVariant ids = QVariant::fromValue(QList<uint>{center.serverId(id)}); // of another type: none
    const QString path = FakeNotificationServer::path, interface = FakeNotificationServer::interface;
    sendSignal(server.connection(), path, interface, "ActionInvoked", {ids, "ALARM_SUPPRESS"});
    sendSignal(server.connection(), path, interface, "NotificationClosed", {ids, 2u});
    server.emitActionInvoked(center.serverId(id), "ALARM_SNOOZE");
    ASSERT_TRUE(waitUntil([&] { return !delegate.responses.isEmpty(); }));
    spinFor(50);
    ASSERT_EQ(delegate.responses.size(), 1);
    EXPECT_EQ(delegate.responses[0].actionIdentifier, "ALARM_SNOOZE");
    EXPECT_EQ(delegate.responses[0].requestIdentifier, id);
    EXPECT_EQ(delegate.responses[0].userInfo.value("alarmId").toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
}

TEST(UserNotificationCenter, DelegateThatDeclinesPresentationPostsNothing)
{
    PrivateBus bus;
    FakeNotificationServer server(bus);
    Center center(bus.connect());
    RecordingDelegate delegate;
    delegate.options = 0;
    center.setDelegate(&delegate);
    EXPECT_FALSE(post(center, request("alarm.X", "x")));
    spinFor(50);
    EXPECT_TRUE(server.notifications().isEmpty());
}

TEST(UserNotificationCenter, WithoutAServerAuthorisationAndPostingFail)
{
    PrivateBus bus; // nobody owns org.freedesktop.Notifications, nothing can be activated
    Center center(bus.connect());
    std::optional<Center::Error> authError;
    bool answered = false;
    bool granted = true;
    center.requestAuthorization(Center::alert, [&](bool g, std::optional<Center::Error> e) {
        granted = g;
        authError = e;
        answered = true;
    });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_FALSE(granted);
    ASSERT_TRUE(authError.has_value());
    EXPECT_EQ(authError->name, "org.freedesktop.DBus.Error.ServiceUnknown");

    auto postError = post(center, request("alarm.X", "x"));
    ASSERT_TRUE(postError.has_value());
    EXPECT_FALSE(postError->describe().isEmpty());
}

TEST(UserNotificationCenter, ServerRefusalIsReportedToTheCompletion)
{
    PrivateBus bus;
    FakeNotificationServer server(bus);
    server.failNotifyWith("org.freedesktop.DBus.Error.AccessDenied");
    Center center(bus.connect());
    auto error = post(center, request("alarm.X", "x"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->name, "org.freedesktop.DBus.Error.AccessDenied");
    EXPECT_EQ(center.serverId("alarm.X"), 0u);
}

TEST(UserNotificationCenter, SettingsAreAuthorisedExactlyWhileAServerAnswers)
{
    using Status = Center::AuthorizationStatus;
    PrivateBus bus;
    Center center(bus.connect());
    auto read = [&] {
        std::optional<Status> status;
        center.getNotificationSettings([&](Center::Settings s) { status = s.authorizationStatus; });
        EXPECT_FALSE(status.has_value()) << "the answer never arrives inside the call";
        EXPECT_TRUE(waitUntil([&] { return status.has_value(); }));
        return status.value_or(Status::denied);
    };
    EXPECT_EQ(read(), Status::notDetermined) << "nobody owns the name";
    {
        FakeNotificationServer server(bus);
        ASSERT_TRUE(server.isRegistered());
        EXPECT_EQ(read(), Status::authorized);
        EXPECT_EQ(server.capabilityCalls(), 1);
    }
    EXPECT_EQ(read(), Status::notDetermined) << "the server went away";
}

TEST(UserNotificationCenter, AServerThatNeverAnswersTimesOut)
{
    PrivateBus bus;
    SilentNotificationServer server(bus);
    ASSERT_TRUE(server.isRegistered());
    Center center(bus.connect());
    EXPECT_EQ(center.replyTimeoutMs(), Center::defaultReplyTimeoutMs);
    EXPECT_LT(Center::defaultReplyTimeoutMs, 25000) << "shorter than D-Bus's own time-out";
    center.setReplyTimeoutMs(300);

    // The answers come before a 2-s timer started with the calls: the time-out
    // set, not the default; an order a busy machine keeps however late both come.
    QTimer reference;
    reference.setSingleShot(true);
    reference.start(2000);
    int beforeReference = 0;
    std::optional<Center::AuthorizationStatus> status;
    center.getNotificationSettings([&](Center::Settings s) {
        status = s.authorizationStatus;
        beforeReference += reference.isActive();
    });
    bool granted = true;
    std::optional<Center::Error> error;
    bool answered = false;
    center.requestAuthorization(Center::alert | Center::sound, [&](bool g, std::optional<Center::Error> e) {
        granted = g;
        error = e;
        answered = true;
        beforeReference += reference.isActive();
    });
    EXPECT_FALSE(status.has_value() || answered) << "neither call waits for the answer";
    ASSERT_TRUE(waitUntil([&] { return status.has_value() && answered; }, 10000));
    EXPECT_EQ(beforeReference, 2);
    EXPECT_EQ(*status, Center::AuthorizationStatus::notDetermined);
    EXPECT_FALSE(granted);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->name, "org.freedesktop.DBus.Error.NoReply");
    EXPECT_EQ(server.calls(), 2);
}
