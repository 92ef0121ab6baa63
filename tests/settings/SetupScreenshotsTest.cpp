#include "settings/setup/SetupChecklist.h"
#include "settings/setup/SetupTab.h"
#include "settings/setup/SetupWindowView.h"
#include "views/Divider.h"
#include "views/Spacing.h"

#include "FakeNotificationServer.h"
#include "SetupTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollArea>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

using Status = SetupModel::RowStatus;

struct State {
    const char* name;
    Status notifications;
    Status login;
    std::optional<QString> expanded;
};

const QList<State>& states()
{
    static const QList<State> list{
        {"fresh", Status::actionNeeded("Allow"), Status::actionNeeded("Enable"), "login"},
        {"checking", Status::unknown(), Status::actionNeeded("Enable"), "login"},
        {"notifications", Status::actionNeeded("Allow"), Status::granted(), "notifications"},
        {"granted", Status::granted(), Status::granted(), std::nullopt},
        {"denied", Status::denied(), Status::denied(), "notifications"},
    };
    return list;
}

// Puts a shown checklist into a state (the model answers as the system would).
void arrange(SetupChecklist* list, const State& state)
{
    spinFor(100); // showing the first window makes the program active, which reads the system once more
    list->model()->setNotifications(state.notifications);
    list->model()->setLoginItem(state.login);
    if (list->expandedId() != state.expanded)
        list->toggle(state.expanded.value_or(*list->expandedId()));
    // The expansion's spring settles: the illustrations stand at their final
    // height (on a loaded machine the spring may start late), and the layouts
    // take in its last step.
    const int settled = state.expanded ? SetupChecklist::heroHeight : 0;
    EXPECT_TRUE(waitUntil([&] { return list->heroesShownHeight() == settled; }, 20000)) << state.name;
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
}

// The window is as tall as its content: between the checklist and the
// divider above the button row only the spacer's 12 points, and the room of
// an illustration while no card shows one (the window keeps its size as
// cards open and close).
void expectFitted(const SetupWindowView& view, const char* name)
{
    const QWidget* list = view.checklist();
    const auto* divider = view.findChild<Divider*>();
    ASSERT_NE(divider, nullptr);
    const int band = divider->mapTo(&view, QPoint()).y() - list->mapTo(&view, QPoint(0, list->height())).y();
    const int room = view.checklist()->expandedId() ? 0 : SetupChecklist::heroHeight;
    EXPECT_NEAR(band, Spacing::px(Spacing::Step::l) + room, 1) << name;
    const QPushButton* go = view.continueButton();
    EXPECT_NEAR(view.height() - go->mapTo(&view, QPoint(0, go->height())).y(), Spacing::px(Spacing::Step::xl), 1)
        << name;
}

} // namespace

// The window in each state, light and dark, for a person to look at.
TEST(SetupScreenshots, WindowInEachState)
{
    for (const bool dark : {false, true}) {
        for (const State& state : states()) {
            SetupWorld world;
            SilentNotificationServer server(world.bus); // the answer never comes: the test sets it
            world.center.setReplyTimeoutMs(60000);
            SetupWindowView view([] {});
            if (dark)
                view.setPalette(darkPalette());
            view.show();
            arrange(view.checklist(), state);
            EXPECT_EQ(view.checklist()->expandedId(), state.expanded) << state.name;
            expectFitted(view, state.name);
            saveSetupScreenshot(&view, QStringLiteral("setup-window-%1-%2").arg(state.name, dark ? "dark" : "light"));
        }
    }
}

// The window at the two common desktop font sizes, light and dark.
TEST(SetupScreenshots, WindowAtDesktopFontSizes)
{
    for (const int points : {10, 11}) {
        ScopedAppFont font(points);
        for (const bool dark : {false, true}) {
            SetupWorld world;
            SilentNotificationServer server(world.bus);
            world.center.setReplyTimeoutMs(60000);
            SetupWindowView view([] {});
            if (dark)
                view.setPalette(darkPalette());
            view.show();
            arrange(view.checklist(), states().first());
            expectFitted(view, qPrintable(QStringLiteral("%1 pt").arg(points)));
            saveSetupScreenshot(&view, QStringLiteral("setup-window-%1-%2pt").arg(dark ? "dark" : "light").arg(points));
        }
    }
}

TEST(SetupScreenshots, SettingsTabShowsTheSameChecklist)
{
    for (const bool dark : {false, true}) {
        SetupWorld world;
        SilentNotificationServer server(world.bus);
        world.center.setReplyTimeoutMs(60000);
        SetupTab tab;
        tab.resize(540, 470);
        if (dark)
            tab.setPalette(darkPalette());
        tab.show();
        SetupChecklist* list = tab.checklist();
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->isVisible());
        EXPECT_NE(tab.findChild<QScrollArea*>(), nullptr);
        EXPECT_EQ(list->model()->loginItem(), Status::actionNeeded("Enable")) << "shown: read at once";
        EXPECT_EQ(list->expandedId(), std::optional<QString>("login"));
        arrange(list, states().first());
        // Padded 20 on every side inside the scroll view.
        EXPECT_EQ(list->mapTo(&tab, QPoint()), QPoint(20, 20));
        saveSetupScreenshot(&tab, QStringLiteral("setup-tab-%1").arg(dark ? "dark" : "light"));
    }
}
