#include "app/LazySettings.h"

#include "SettingsEnvironment.h"
#include "platform/windows/WindowPlacement.h"
#include "settings/SettingsView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

int settingsViewsAlive()
{
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        n += qobject_cast<SettingsView*>(w) ? 1 : 0;
    return n;
}

int updatersAlive(QObject* root)
{
    return int(root->findChildren<SparkleUpdater*>().size());
}

} // namespace

TEST(LazySettings, NothingIsBuiltBeforeTheFirstOpening)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    spinFor(10);
    EXPECT_FALSE(settings.isBuilt());
    EXPECT_EQ(settings.window(), nullptr);
    EXPECT_EQ(settings.content(), nullptr);
    EXPECT_EQ(settingsViewsAlive(), 0);
}

// The window opens at its content's size, at most the available area less the
// frame, the frame inside it; it can be resized, and no tab pushes it past.
TEST(LazySettings, TheWindowFitsTheScreenAtAnyFontAndCanBeResized)
{
    const QMargins frame(8, 40, 8, 8);
    struct Case {
        const char* name;
        QSize wanted;
        QRect available, expected;
    };
    const Case cases[] = {
        {"room to spare", QSize(540, 520), QRect(0, 0, 1920, 1080), QRect(690, 296, 540, 520)},
        {"14 pt under a top panel", QSize(641, 761), QRect(0, 28, 1366, 740), QRect(362, 68, 641, 692)},
        {"a small second screen", QSize(641, 761), QRect(1366, 0, 640, 480), QRect(1374, 40, 624, 432)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowPlacement::clientArea(c.wanted, c.available, frame), c.expected);
        // A window not yet shown has the frame assumed; its position is its frame's.
        QWidget window;
        WindowPlacement::place(&window, c.wanted, c.available);
        EXPECT_EQ(QRect(window.pos() + QPoint(frame.left(), frame.top()), window.size()), c.expected);
    }

    ScopedDefaults defaults;
    SettingsEnvironment e;
    for (const int points : {10, 14, 24}) {
        SCOPED_TRACE(points);
        ScopedAppFont font(points);
        LazySettings settings(e.env());
        settings.show();
        QWidget* window = settings.window();
        const QRect available = window->screen()->availableGeometry();
        EXPECT_NE(window->minimumSize(), window->maximumSize()) << "resizable";
        for (int i = 0; i < settings.content()->tabWidget()->count(); ++i) {
            settings.content()->tabWidget()->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_TRUE(available.contains(window->frameGeometry())) << i;
        }
    }
}

TEST(LazySettings, OpeningTwiceKeepsOneWindowAndOneContentTree)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    settings.show();
    ASSERT_TRUE(settings.isBuilt());
    QWidget* window = settings.window();
    SettingsView* content = settings.content();
    ASSERT_NE(content, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(540, 520));
    content->tabWidget()->setCurrentIndex(3);

    settings.show();
    EXPECT_EQ(settings.window(), window);
    EXPECT_EQ(settings.content(), content);
    EXPECT_EQ(content->tabWidget()->currentIndex(), 3); // brought to the front, not rebuilt
    EXPECT_EQ(settingsViewsAlive(), 1);
}

TEST(LazySettings, ClosingDropsTheContentOnTheNextTurnAndReopensOnGeneral)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    settings.show();
    QPointer<SettingsView> first = settings.content();
    first->tabWidget()->setCurrentIndex(5);

    settings.window()->close();
    EXPECT_FALSE(first.isNull()); // not while the window is closing
    ASSERT_TRUE(waitUntil([&] { return first.isNull(); }));
    EXPECT_FALSE(settings.isBuilt());
    EXPECT_EQ(settingsViewsAlive(), 0);

    settings.show();
    ASSERT_NE(settings.content(), nullptr);
    EXPECT_EQ(settings.content()->tabWidget()->currentIndex(), 0);
    EXPECT_EQ(settingsViewsAlive(), 1);
}

TEST(LazySettings, ReopeningBeforeTheDropRanBuildsAfresh)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    settings.show();
    QPointer<SettingsView> first = settings.content();
    first->tabWidget()->setCurrentIndex(4);
    settings.window()->close();
    settings.show(); // same turn
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(settings.content(), nullptr);
    EXPECT_EQ(settings.content()->tabWidget()->currentIndex(), 0);
    spinFor(20); // the drop scheduled by the close leaves the new content alone
    EXPECT_TRUE(settings.isBuilt());
    EXPECT_NE(settings.content(), nullptr);
    EXPECT_EQ(settingsViewsAlive(), 1);
}

TEST(LazySettings, OtherWindowsClosingChangeNothing)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    settings.show();
    QPointer<SettingsView> content = settings.content();

    QWidget setupWindow;
    setupWindow.show();
    setupWindow.close();
    spinFor(20);
    EXPECT_EQ(settings.content(), content.data());
    EXPECT_TRUE(settings.isBuilt());
}

TEST(LazySettings, ClosingNeverQuits)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(true); // even where the application would
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    {
        LazySettings settings(e.env());
        settings.show();
        settings.window()->close();
        spinFor(20);
    }
    QApplication::setQuitOnLastWindowClosed(quitOnLast);
    EXPECT_EQ(lastClosed.count(), 0);
}

TEST(LazySettings, WithoutAnUpdaterEachContentHasItsOwnForItsLifetime)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    ViewEnvironment env = e.env();
    env.updater = nullptr;
    LazySettings settings(env);
    settings.show();
    EXPECT_EQ(updatersAlive(&settings), 1);
    settings.window()->close();
    ASSERT_TRUE(waitUntil([&] { return !settings.isBuilt(); }));
    EXPECT_EQ(updatersAlive(&settings), 0);

    // With the delegate's updater in place, the next build uses it.
    env.updater = e.updater.get();
    settings.setEnvironment(env);
    settings.show();
    EXPECT_EQ(updatersAlive(&settings), 0);
}

// Each opening builds the content afresh; what it leaves behind after closing
// must not add up: no widgets, and none of the pixmaps Qt cached while drawing it.
TEST(LazySettings, OpeningAndClosingAgainAndAgainKeepsNothing)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    LazySettings settings(e.env());
    QList<QPixmap> drawn; // what each opening's tab bar drew, as Qt cached it
    auto openVisitEveryTabAndClose = [&] {
        settings.show();
        QTabWidget* tabs = settings.content()->tabWidget();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            spinFor(10);
        }
        drawn.append(tabs->tabIcon(0).pixmap(tabs->iconSize(), tabs->devicePixelRatioF()));
        settings.window()->close();
        ASSERT_TRUE(waitUntil([&] { return !settings.isBuilt(); }));
    };
    openVisitEveryTabAndClose();
    const qsizetype widgets = QApplication::allWidgets().size();
    for (int i = 0; i < 5; ++i)
        openVisitEveryTabAndClose();
    EXPECT_EQ(QApplication::allWidgets().size(), widgets);
    for (QPixmap& pixmap : drawn)
        EXPECT_TRUE(pixmap.isDetached()) << "a closed window's pixmap is still held";
}
