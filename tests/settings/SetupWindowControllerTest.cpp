#include "settings/setup/SetupWindowController.h"

#include "schema/SettingsSchema.h"
#include "settings/setup/SetupChecklist.h"
#include "settings/setup/SetupWindowView.h"

#include "Dunst.h"
#include "FakeNotificationServer.h"
#include "SetupTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QString dismissedKey = SettingsSchema::setupWindowDismissed;

bool dismissed()
{
    return Defaults::standard()->boolean(dismissedKey, false);
}

// Lets showIfNeeded's answer arrive: a second question behind it on the
// same connection is answered after it.
void settle(SetupWorld& world)
{
    bool answered = false;
    world.center.getNotificationSettings([&](UserNotificationCenter::Settings) { answered = true; });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    spinFor(50);
}

} // namespace

TEST(SetupWindowController, DismissedMeansNoQuestionAndNoWindow)
{
    SetupWorld world;
    FakeNotificationServer server(world.bus);
    Defaults::standard()->set(dismissedKey, true);
    SetupWindowController controller;
    controller.showIfNeeded();
    spinFor(200);
    EXPECT_EQ(server.capabilityCalls(), 0) << "no call on the bus at all";
    EXPECT_EQ(controller.window(), nullptr);
}

TEST(SetupWindowController, AFreshInstallOpensTheWindowOnceTheAnswerIsIn)
{
    SetupWorld world;
    SetupWindowController controller;
    controller.showIfNeeded();
    EXPECT_EQ(controller.window(), nullptr) << "the decision waits for the notification answer";
    ASSERT_TRUE(waitUntil([&] { return controller.window() != nullptr; }));
    SetupWindowView* window = controller.window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), "Set up Gaugelet");
    EXPECT_TRUE(waitUntil([&] { return window->size() == QSize(630, window->fittedHeight()); }))
        << "as tall as its content";
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "it cannot be resized";
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(dismissed()) << "opening writes nothing";

    controller.present();
    EXPECT_EQ(controller.window(), window) << "presenting again brings the same window forward";
}

// The window opens unless notifications are allowed and the program starts at login.
TEST(SetupWindowController, TheWindowOpensWhileAPermissionIsMissing)
{
    struct Case {
        const char* name;
        bool server;
        bool loginItem;
        bool opens;
    };
    for (const Case& c : {Case{"nothing granted", false, false, true},
                          Case{"notifications only", true, false, true},
                          Case{"login item only", false, true, true},
                          Case{"both granted", true, true, false}}) {
        SetupWorld world;
        std::unique_ptr<Dunst> dunst;
        if (c.server) {
            dunst = std::make_unique<Dunst>(world.bus);
            ASSERT_TRUE(dunst->isReady()) << c.name;
        }
        if (c.loginItem)
            world.registerLoginItem();
        SetupWindowController controller;
        controller.showIfNeeded();
        settle(world);
        EXPECT_EQ(controller.window() != nullptr, c.opens) << c.name;
    }
}

TEST(SetupWindowController, AServerThatNeverAnswersDoesNotHoldTheLaunch)
{
    SetupWorld world;
    SilentNotificationServer server(world.bus);
    world.registerLoginItem();
    SetupWindowController controller;
    controller.showIfNeeded();
    EXPECT_EQ(controller.window(), nullptr) << "the launch goes on before the answer";
    // Within the wait, so the center's own time-out, not D-Bus's 25 s.
    ASSERT_TRUE(waitUntil([&] { return controller.window() != nullptr; }, 10000))
        << "no answer reads as not determined";
    ASSERT_TRUE(waitUntil([&] {
        return controller.window()->checklist()->model()->notifications()
               == SetupModel::RowStatus::actionNeeded("Allow");
    }));
}

TEST(SetupWindowController, AWindowClosedBeforeTheLaunchAnswerArrivesStaysClosed)
{
    SetupWorld world;
    SilentNotificationServer server(world.bus);
    SetupWindowController controller;
    controller.showIfNeeded();
    controller.present();
    ASSERT_NE(controller.window(), nullptr);
    controller.window()->close();
    ASSERT_TRUE(dismissed());
    spinFor(world.center.replyTimeoutMs() + 300); // the launch's answer: not determined
    EXPECT_EQ(controller.window(), nullptr);
}

// The close button, "Continue" and Return all close the window for good.
TEST(SetupWindowController, ClosingTheWindowInAnyWayMarksItDismissed)
{
    const QList<std::pair<const char*, std::function<void(SetupWindowView*)>>> ways{
        {"close button", [](SetupWindowView* w) { w->close(); }},
        {"Continue", [](SetupWindowView* w) { QTest::mouseClick(w->continueButton(), Qt::LeftButton); }},
        {"Return", [](SetupWindowView* w) {
             QTest::keyClick(w->continueButton(), Qt::Key_Return);
         }},
        {"Return on another button", [](SetupWindowView* w) {
             auto* other = w->findChild<QPushButton*>(QStringLiteral("setup.button.login"));
             other->setFocus();
             QTest::keyClick(other, Qt::Key_Return);
         }},
    };
    for (const auto& [name, close] : ways) {
        SetupWorld world;
        SetupWindowController controller;
        controller.present();
        QPointer<SetupWindowView> window = controller.window();
        ASSERT_TRUE(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.data()));
        close(window.data());
        EXPECT_TRUE(dismissed()) << name;
        EXPECT_EQ(controller.window(), nullptr) << name;
        EXPECT_TRUE(waitUntil([&] { return window.isNull(); })) << name << ": the closed window is released";
        EXPECT_FALSE(QFileInfo::exists(world.login.userEntryPath())) << name << ": Return did not press Enable";

        controller.present();
        EXPECT_NE(controller.window(), nullptr) << "a later present builds a new window";
        controller.showIfNeeded();
        spinFor(20);
    }
}

TEST(SetupWindowController, ClosingTheWindowLeavesTheProgramRunning)
{
    SetupWorld world;
    ASSERT_TRUE(QApplication::quitOnLastWindowClosed()) << "the test keeps the application's default";
    SetupWindowController controller;
    controller.present();
    ASSERT_NE(controller.window(), nullptr);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, controller.window(), &QWidget::close);
    QTimer::singleShot(300, qApp, [] { QCoreApplication::exit(42); });
    EXPECT_EQ(QCoreApplication::exec(), 42) << "nothing quit the event loop when the window closed";
    EXPECT_EQ(lastClosed.count(), 0);
    EXPECT_TRUE(dismissed());
}

TEST(SetupWindowController, EndingTheProgramWithTheWindowOpenIsNotClosingIt)
{
    SetupWorld world;
    QPointer<SetupWindowView> window;
    {
        SetupWindowController controller;
        controller.present();
        window = controller.window();
    }
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(dismissed());
}
