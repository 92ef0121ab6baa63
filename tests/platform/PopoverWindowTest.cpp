#include "platform/windows/PopoverWindow.h"

#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QStyleHints>
#include <QTest>
#include <QVBoxLayout>
#include <climits>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(PopoverWindow, PlacesUnderOrAboveTheClickAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1440, 900);
    const QRect withPanel(0, 28, 1440, 872);
    struct Case {
        const char* name;
        QPoint anchor;
        QSize size;
        QRect available;
        QRect expected;
    };
    const Case cases[] = {
        {"under the click", QPoint(700, 10), QSize(380, 300), withPanel, QRect(510, 28, 380, 300)},
        {"under, right edge", QPoint(1430, 10), QSize(740, 300), screen, QRect(700, 14, 740, 300)},
        {"under, left edge", QPoint(5, 10), QSize(380, 300), screen, QRect(0, 14, 380, 300)},
        {"above a bottom panel", QPoint(700, 890), QSize(380, 300), QRect(0, 0, 1440, 870), QRect(510, 570, 380, 300)},
        {"above, in the lower half", QPoint(700, 700), QSize(380, 300), screen, QRect(510, 396, 380, 300)},
        {"taller than the screen", QPoint(700, 10), QSize(380, 2000), screen, QRect(510, 0, 380, 900)},
        {"second screen", QPoint(2000, 10), QSize(380, 300), QRect(1440, 0, 1920, 1080), QRect(1810, 14, 380, 300)},
        {"degenerate size", QPoint(100, 10), QSize(0, -5), screen, QRect(100, 14, 1, 1)},
        {"least int anchor", QPoint(INT_MIN, INT_MIN), QSize(380, 300), withPanel, QRect(0, 28, 380, 300)},
        {"greatest int anchor", QPoint(INT_MAX, INT_MAX), QSize(380, 300), withPanel, QRect(1060, 600, 380, 300)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect r = PopoverWindow::placement(c.anchor, c.size, c.available);
        EXPECT_EQ(r, c.expected);
        EXPECT_TRUE(c.available.contains(r));
    }
}

TEST(PopoverWindow, FitsTheContentsWidthAndHeightForThatWidth)
{
    QWidget content;
    auto* layout = new QVBoxLayout(&content);
    auto* label = new QLabel(QString(400, QLatin1Char('x')).replace(QStringLiteral("xxxxx"), QStringLiteral("xxxx ")));
    label->setWordWrap(true);
    layout->addWidget(label);
    content.setFixedWidth(300);
    const QSize fitted = PopoverWindow::fittedSize(&content, QRect(0, 0, 1440, 900));
    EXPECT_EQ(fitted.width(), 300);
    EXPECT_EQ(fitted.height(), content.heightForWidth(300));
    EXPECT_GT(fitted.height(), label->fontMetrics().height() * 3) << "the wrapped text's height";
    EXPECT_EQ(PopoverWindow::fittedSize(&content, QRect(0, 0, 1440, 40)).height(), 40);
    EXPECT_EQ(PopoverWindow::fittedSize(nullptr, QRect(0, 0, 1440, 900)).height(), PopoverWindow::fallbackHeight);
}

TEST(PopoverWindow, FollowsTheContentWhileOpenAndDropsItLater)
{
    PopoverWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Gaugelet"));
    // No Qt::Popup, which names a transient parent and closes whenever another window shows.
    EXPECT_EQ(window.windowType(), Qt::Window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::BypassWindowManagerHint));
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* block = new QWidget;
    block->setFixedSize(200, 100);
    layout->addWidget(block);
    content->setFixedWidth(240);
    window.setContent(content);
    window.showAt(QPoint(300, 10));
    ASSERT_TRUE(window.isVisible());
    // The second press of the double click that opened it, where that click was, leaves it open.
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(60000);
    QTest::mousePress(&window, Qt::LeftButton, {}, window.mapFromGlobal(QPoint(300, 10)));
    EXPECT_TRUE(window.isVisible());
    const int before = window.height();
    EXPECT_EQ(window.width(), 240);

    block->setFixedSize(200, 300);
    ASSERT_TRUE(waitUntil([&] { return window.height() == before + 200; }));

    int closed = 0;
    QObject::connect(&window, &PopoverWindow::didClose, [&] { ++closed; });
    QPointer<QWidget> weak(content);
    window.performClose();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isEchoOfOutsideClose()) << "our own close is not an outside click";
    // A press elsewhere closes it, whenever it comes.
    window.showAt(QPoint(300, 10));
    QTest::mousePress(&window, Qt::LeftButton, {}, window.mapFromGlobal(QPoint(600, 10)));
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(interval);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.isEchoOfOutsideClose());
    ASSERT_TRUE(waitUntil([&] { return closed == 2; }));
    window.setContent(nullptr);
    EXPECT_FALSE(weak.isNull()) << "deleted later, never inside a handler";
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return weak.isNull();
    }));

    // Another window of the program coming forward (a dialog) closes it.
    window.showAt(QPoint(300, 10));
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    EXPECT_TRUE(waitUntil([&] { return !window.isVisible(); }));
}

TEST(PopoverWindow, ClosesAfterAWhileWithoutInputOverItAndAtTheSessionsLock)
{
    constexpr int idleMs = 400;
    ScopedEnv idle(PopoverWindow::idleCloseEnv, QByteArray::number(idleMs));
    PopoverWindow window;
    auto* content = new QWidget;
    content->setFixedSize(200, 100);
    window.setContent(content);
    window.showAt(QPoint(300, 10));
    QWindow* handle = window.windowHandle();
    ASSERT_TRUE(handle);

    // Keys, and the pointer moving over it, keep it open.
    QElapsedTimer running;
    QElapsedTimer sinceInput;
    running.start();
    sinceInput.start();
    qint64 longestPause = 0;
    for (int n = 0; window.isVisible() && running.elapsed() < 3 * idleMs; ++n) {
        longestPause = std::max(longestPause, sinceInput.restart());
        if (n % 2)
            QTest::mouseMove(handle, QPoint(10 + n % 100, 50));
        else
            QTest::keyClick(handle, Qt::Key_A);
        spinFor(20);
    }
    if (longestPause < idleMs * 9 / 10) {
        EXPECT_TRUE(window.isVisible()) << "closed with input at most " << longestPause << " ms apart";
    }
    // The pointer moving beside it does not.
    window.showAt(QPoint(300, 10));
    int step = 0;
    EXPECT_TRUE(waitUntil(
        [&] {
            QTest::mouseMove(handle, QPoint(-30 - ++step % 100, 50));
            return !window.isVisible();
        },
        10'000));
    EXPECT_FALSE(window.isEchoOfOutsideClose());

    window.showAt(QPoint(300, 10));
    window.closeForSessionLock();
    EXPECT_FALSE(window.isVisible());
    // The window that stands in for a missing row neither grabs nor closes.
    window.showAsWindow(false);
    window.closeForSessionLock();
    spinFor(2 * idleMs);
    EXPECT_TRUE(window.isVisible());
}
