#include "settings/setup/SetupChecklist.h"

#include "Dunst.h"
#include "FakeNotificationServer.h"
#include "LogCapture.h"
#include "SetupTestSupport.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

using Status = SetupModel::RowStatus;

QPushButton* button(SetupChecklist& list, const QString& id)
{
    return list.findChild<QPushButton*>(QStringLiteral("setup.button.") + id);
}

// What the row's trailing control says, as the user sees it: the button's
// title, the granted label, "progress" for the spinner.
QString trailing(SetupChecklist& list, const QString& id)
{
    if (auto* b = button(list, id); b && b->isVisibleTo(&list))
        return b->text();
    if (auto* g = list.findChild<QWidget*>(QStringLiteral("setup.granted.") + id); g && g->isVisibleTo(&list)) {
        const QList<QLabel*> labels = g->findChildren<QLabel*>();
        for (QLabel* label : labels) {
            if (!label->text().isEmpty())
                return QStringLiteral("✓ ") + label->text();
        }
    }
    if (auto* p = list.findChild<QWidget*>(QStringLiteral("setup.progress.") + id); p && p->isVisibleTo(&list))
        return QStringLiteral("progress");
    return {};
}

bool heroShown(SetupChecklist& list, const QString& id)
{
    auto* hero = list.findChild<QWidget*>(QStringLiteral("setup.hero.") + id);
    return hero && hero->isVisibleTo(&list);
}

} // namespace

TEST(SetupModel, StatusesAreEqualByCaseAndOnlyActionTitlesCount)
{
    EXPECT_EQ(Status::actionNeeded("Allow"), Status::actionNeeded("Allow"));
    EXPECT_NE(Status::actionNeeded("Allow"), Status::actionNeeded("Enable"));
    EXPECT_NE(Status::actionNeeded("Allow"), Status::unknown());
    EXPECT_EQ((Status{Status::Kind::granted, "ignored"}), Status::granted());
    EXPECT_NE(Status::granted(), Status::denied());

    SetupModel model;
    EXPECT_EQ(model.notifications(), Status::unknown());
    EXPECT_EQ(model.loginItem(), Status::unknown());
    QSignalSpy notifications(&model, &SetupModel::notificationsChanged);
    QSignalSpy login(&model, &SetupModel::loginItemChanged);
    model.setNotifications(Status::actionNeeded("Allow"));
    model.setNotifications(Status::actionNeeded("Allow"));
    model.setNotifications(Status::actionNeeded("Ask"));
    model.setLoginItem(Status::unknown());
    EXPECT_EQ(notifications.count(), 2) << "an equal status notifies nobody";
    EXPECT_EQ(login.count(), 0);
}

TEST(SetupChecklist, FreshInstallResolvesTheLoginRowFirstAndExpandsIt)
{
    SetupWorld world; // no notification server, no autostart entry
    SetupChecklist list;
    list.resize(590, 420);
    list.show();

    // The login item is read at once; the notification answer is still out.
    EXPECT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
    EXPECT_EQ(list.model()->notifications(), Status::unknown());
    EXPECT_EQ(list.expandedId(), std::optional<QString>("login"));
    EXPECT_TRUE(list.didAutoExpand());
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "progress"; }));
    EXPECT_EQ(trailing(list, "login"), "Enable");

    ASSERT_TRUE(waitUntil([&] { return list.model()->notifications() == Status::actionNeeded("Allow"); }));
    EXPECT_EQ(list.expandedId(), std::optional<QString>("login")) << "the later answer expands nothing";
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "Allow"; }));
    EXPECT_TRUE(heroShown(list, "login"));
    EXPECT_FALSE(heroShown(list, "notifications"));
}

TEST(SetupChecklist, BothGrantedShowTheirLabelsAndExpandNothing)
{
    SetupWorld world;
    Dunst dunst(world.bus);
    ASSERT_TRUE(dunst.isReady());
    world.registerLoginItem();
    SetupChecklist list;
    list.resize(590, 420);
    list.show();
    ASSERT_TRUE(waitUntil([&] { return list.model()->notifications() == Status::granted(); }));
    EXPECT_EQ(list.model()->loginItem(), Status::granted());
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "✓ Allowed"; }));
    EXPECT_EQ(trailing(list, "login"), "✓ Enabled");
    EXPECT_EQ(list.expandedId(), std::nullopt);
    EXPECT_FALSE(list.didAutoExpand());
}

TEST(SetupChecklist, AServerThatNeverAnswersLeavesTheRowNotDeterminedAfterTheTimeOut)
{
    SetupWorld world;
    SilentNotificationServer server(world.bus);
    ASSERT_TRUE(server.isRegistered());
    SetupChecklist list;
    QElapsedTimer timer;
    timer.start();
    list.show();
    EXPECT_FALSE(list.model()->notifications() == Status::actionNeeded("Allow"))
        << "showing the checklist does not wait for the server";
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "progress"; }));
    ASSERT_TRUE(waitUntil([&] { return list.model()->notifications() == Status::actionNeeded("Allow"); }));
    EXPECT_GE(timer.elapsed(), world.center.replyTimeoutMs() - 50);
    EXPECT_GE(server.calls(), 1); // and once more if showing made the program active
}

TEST(SetupChecklist, AllowAsksTheServerAgain)
{
    SetupWorld world;
    SetupChecklist list;
    list.show();
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "Allow"; }));

    Dunst dunst(world.bus); // a notification server turns up
    ASSERT_TRUE(dunst.isReady());
    QTest::mouseClick(button(list, "notifications"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return list.model()->notifications() == Status::granted(); }));
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "notifications") == "✓ Allowed"; }));
}

TEST(SetupChecklist, EnableRegistersTheLoginItemAndTheRowTurnsGranted)
{
    SetupWorld world;
    SetupChecklist list;
    list.show();
    ASSERT_EQ(trailing(list, "login"), "Enable");
    QTest::mouseClick(button(list, "login"), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo::exists(world.login.userEntryPath()));
    EXPECT_EQ(list.model()->loginItem(), Status::granted()) << "read again at once";
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "login") == "✓ Enabled"; }));
}

TEST(SetupChecklist, AFailedRegistrationIsLoggedAndTheRowStillOffersEnable)
{
    SetupWorld world;
    // A service with no configuration folder cannot write its entry.
    LoginItemService broken(LoginItemService::Paths{QString(), {}, QCoreApplication::applicationFilePath()});
    LoginItemService::setMainAppService(&broken);
    SetupChecklist list;
    list.show();
    ASSERT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
    LogCapture log("default");
    QTest::mouseClick(button(list, "login"), Qt::LeftButton);
    EXPECT_EQ(log.countPrefix("Gaugelet: failed to toggle launch-at-login: "), 1) << log.lines().join('\n').toStdString();
    EXPECT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
    LoginItemService::setMainAppService(&world.login);
}

TEST(SetupChecklist, AnEntryTheDesktopDisabledOffersSystemSettings)
{
    SetupWorld world;
    world.disableLoginItemInTheDesktop();
    SetupChecklist list;
    list.show();
    EXPECT_EQ(list.model()->loginItem(), Status::denied());
    EXPECT_EQ(list.expandedId(), std::optional<QString>("login"));
    ASSERT_TRUE(waitUntil([&] { return trailing(list, "login") == "Open System Settings…"; }));
}

TEST(SetupChecklist, BecomingActiveReadsThePermissionsAgain)
{
    SetupWorld world;
    SetupChecklist list;
    list.show();
    ASSERT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
    world.registerLoginItem(); // done elsewhere, in the desktop's settings
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(list.model()->loginItem(), Status::granted());

    list.hide(); // a hidden checklist reads nothing; the next showing will
    ASSERT_TRUE(world.login.unregisterItem().hasValue());
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(list.model()->loginItem(), Status::granted());
    list.show();
    EXPECT_EQ(list.model()->loginItem(), Status::actionNeeded("Enable"));
}

// The auto-expand rule: the first row, in order, that needs the user, once.
TEST(SetupChecklist, AutoExpandTakesTheFirstRowThatNeedsTheUserOnce)
{
    struct Step {
        std::optional<Status> notifications;
        std::optional<Status> login;
        std::optional<QString> expanded;
    };
    struct Case {
        const char* name;
        QList<Step> steps;
    };
    const QList<Case> cases{
        {"both granted, then login lost: a later change still expands",
         {{Status::granted(), Status::granted(), std::nullopt}, {{}, Status::actionNeeded("Enable"), "login"}}},
        {"both need the user: notifications come first",
         {{Status::denied(), Status::actionNeeded("Enable"), "notifications"}}},
        {"unknown rows are passed over", {{Status::unknown(), Status::denied(), "login"}}},
        {"only once", {{Status::actionNeeded("Allow"), {}, "notifications"}, {{}, Status::denied(), "notifications"}}},
    };
    for (const Case& c : cases) {
        SetupChecklist list; // never shown: nothing is read from the system
        for (const Step& step : c.steps) {
            if (step.notifications)
                list.model()->setNotifications(*step.notifications);
            if (step.login)
                list.model()->setLoginItem(*step.login);
            EXPECT_EQ(list.expandedId(), step.expanded) << c.name;
            EXPECT_EQ(list.didAutoExpand(), step.expanded.has_value()) << c.name;
        }
    }
}

TEST(SetupChecklist, TappingAHeaderExpandsOneRowAtATime)
{
    SetupWorld world;
    FakeNotificationServer server(world.bus);
    world.registerLoginItem();
    SetupChecklist list;
    list.resize(590, 420);
    list.show();
    ASSERT_TRUE(waitUntil([&] { return list.model()->notifications() == Status::granted(); }));
    ASSERT_EQ(list.expandedId(), std::nullopt);
    auto tap = [&](const QString& id) {
        auto* header = list.findChild<QWidget*>(QStringLiteral("setup.header.") + id);
        ASSERT_NE(header, nullptr);
        QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(4, 4));
    };
    tap("login");
    EXPECT_EQ(list.expandedId(), std::optional<QString>("login"));
    tap("notifications");
    EXPECT_EQ(list.expandedId(), std::optional<QString>("notifications"));
    ASSERT_TRUE(waitUntil([&] { return !heroShown(list, "login"); }));
    EXPECT_TRUE(heroShown(list, "notifications"));
    tap("notifications");
    EXPECT_EQ(list.expandedId(), std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return !heroShown(list, "notifications"); }));
    EXPECT_FALSE(list.didAutoExpand()) << "taps are not the auto-expand rule";
}

TEST(SetupChecklist, EachChecklistHasItsOwnModelAndAnAnswerForOneThatIsGoneIsDropped)
{
    SetupWorld world;
    SilentNotificationServer server(world.bus);
    world.center.setReplyTimeoutMs(150);
    SetupChecklist kept;
    kept.show();
    auto* gone = new SetupChecklist;
    gone->show();
    ASSERT_TRUE(waitUntil([&] { return server.calls() >= 2; }));
    kept.toggle("notifications");
    EXPECT_EQ(gone->expandedId(), std::optional<QString>("login")) << "expansion is per checklist";
    delete gone;
    ASSERT_TRUE(waitUntil([&] { return kept.model()->notifications() == Status::actionNeeded("Allow"); }));
    spinFor(50);
    EXPECT_EQ(kept.expandedId(), std::optional<QString>("notifications"));
}
