#include "platform/windows/PopoverWindow.h"

#include "platform/core/MainThread.h"
#include "platform/core/PlatformLog.h"
#include "platform/windows/WindowPlacement.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <xcb/xcb.h>

namespace gaugelet {

namespace {

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Our X11 windows shown by XWayland (sway): the X server hears of no input
// that goes to a Wayland surface.
bool isXWayland()
{
    return isX11() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

xcb_connection_t* xcbConnection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

// Takes the pointer for `window` as the X server sees it. Qt's grab
// (XInput 2) reports success whoever holds the pointer; a core grab's reply
// says whether it is ours. It is given back at once for Qt's own to take.
bool pointerTaken(QWindow* window)
{
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return window->setMouseGrabEnabled(true);
    const auto id = xcb_window_t(window->winId());
    const auto cookie = xcb_grab_pointer(c, 0, id, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC,
                                         XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
    const XcbReply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(c, cookie, nullptr));
    if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS)
        return false;
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    return window->setMouseGrabEnabled(true);
}

// Whether the pointer is over no X11 window: under XWayland, over a
// Wayland surface (the bar, the desktop, another program's window).
bool pointerOverNoXWindow()
{
    xcb_connection_t* c = xcbConnection();
    const xcb_screen_t* screen = c ? xcb_setup_roots_iterator(xcb_get_setup(c)).data : nullptr;
    if (!screen)
        return false;
    const XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr));
    return reply && reply->same_screen && reply->child == XCB_NONE;
}

// The window that has the keyboard focus, if it is a window (not None or
// PointerRoot).
xcb_window_t focusedWindow(xcb_connection_t* c)
{
    const XcbReply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return reply && reply->focus != XCB_INPUT_FOCUS_POINTER_ROOT ? reply->focus : XCB_NONE;
}

// The popover's flags while it pops up from the status item.
Qt::WindowFlags popupFlags()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return Qt::Popup | Qt::FramelessWindowHint;
    return Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint;
}

// The idle close's delay: idleCloseMs, or a shorter one the environment sets.
int idleCloseDelay()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue(PopoverWindow::idleCloseEnv, &ok);
    return ok && ms > 0 && ms < PopoverWindow::idleCloseMs ? ms : PopoverWindow::idleCloseMs;
}

bool isPointerInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel: return true;
    default: return false;
    }
}

} // namespace

PopoverWindow::PopoverWindow(QWidget* parent)
    : QWidget(parent, popupFlags()), m_inputRetry(new QTimer(this)), m_idleClose(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Gaugelet"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(m_inputRetry, &QTimer::timeout, this, &PopoverWindow::takeInput);
    m_idleClose->setSingleShot(true);
    m_idleClose->setInterval(idleCloseDelay());
    connect(m_idleClose, &QTimer::timeout, this, [this] {
        logInfo(lcPlatform, "popover: closed after %d ms without input", m_idleClose->interval());
        performClose();
    });
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

PopoverWindow::~PopoverWindow() = default;

void PopoverWindow::setContent(QWidget* content)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (content == m_content)
        return;
    if (m_content) {
        m_content->removeEventFilter(this);
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        content->setParent(this);
        layout()->addWidget(content);
        content->installEventFilter(this);
        content->show();
        if (isVisible())
            scheduleFit();
    }
}

QRect PopoverWindow::placement(const QPoint& anchor, QSize size, const QRect& available)
{
    const int w = std::max(1, std::min(size.width(), available.width()));
    const int h = std::max(1, std::min(size.height(), available.height()));
    // In 64 bits: an anchor comes from any session-bus client, and one at
    // the ends of the int range must still give a place on the screen.
    const qint64 ax = anchor.x();
    const qint64 ay = anchor.y();
    const bool above = ay > available.center().y();
    const qint64 x = ax - w / 2;
    const qint64 y = above ? ay - anchorGap - h : ay + anchorGap;
    const qint64 left = available.left();
    const qint64 top = available.top();
    return QRect(int(std::clamp(x, left, std::max(left, qint64(available.right()) + 1 - w))),
                 int(std::clamp(y, top, std::max(top, qint64(available.bottom()) + 1 - h))), w, h);
}

QSize PopoverWindow::fittedSize(const QWidget* content, const QRect& available)
{
    if (!content)
        return QSize(1, fallbackHeight);
    int width =
        content->minimumWidth() == content->maximumWidth() ? content->maximumWidth() : content->sizeHint().width();
    width = std::max(width, 1);
    int height = content->hasHeightForWidth() ? content->heightForWidth(width) : -1;
    if (height <= 0)
        height = content->sizeHint().height();
    if (height <= 0)
        height = fallbackHeight;
    if (available.height() > 0)
        height = std::min(height, available.height());
    return QSize(width, std::max(height, 1));
}

QScreen* PopoverWindow::anchorScreen() const
{
    if (QScreen* screen = QGuiApplication::screenAt(m_anchor))
        return screen;
    return QGuiApplication::primaryScreen();
}

void PopoverWindow::fit()
{
    m_fitScheduled = false;
    QScreen* screen = m_asWindow ? QGuiApplication::primaryScreen() : anchorScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    if (m_content && m_content->layout())
        m_content->layout()->activate();
    if (m_asWindow) {
        // Placed and sized once; from then on the size is the user's, and
        // the content scrolls in what it is given.
        if (!isVisible()) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            WindowPlacement::place(this, m_content ? m_content->sizeHint() : QSize(1, fallbackHeight), available);
        }
        return;
    }
    const QSize size = fittedSize(m_content, available);
    const QRect frame = placement(m_anchor, size, available);
    setFixedSize(frame.size());
    move(frame.topLeft());
}

void PopoverWindow::setWindowMode(bool asWindow)
{
    if (asWindow == m_asWindow)
        return;
    m_asWindow = asWindow;
    m_idleClose->stop();
    // New flags take the native window down; it is made again when shown.
    m_closeRequested = true;
    setWindowFlags(asWindow ? Qt::Window : popupFlags());
    m_closeRequested = false;
}

void PopoverWindow::scheduleFit()
{
    if (m_fitScheduled)
        return;
    m_fitScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_fitScheduled && isVisible())
            fit();
        m_fitScheduled = false;
    });
}

void PopoverWindow::showAt(const QPoint& anchor)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setWindowMode(false);
    m_anchor = anchor.isNull() ? QCursor::pos() : anchor;
    m_closeRequested = false;
    m_sinceOutsideClose.invalidate();
    m_sinceShown.start();
    fit();
    // Taking the focus (the window manager leaves the popover alone, so Qt
    // sets it) would leave it on the root when the popover goes, where a
    // window manager does not give it back (xfwm4 over a bare desktop).
    xcb_connection_t* c = isX11() ? xcbConnection() : nullptr;
    m_focusBefore = c ? focusedWindow(c) : 0;
    show();
    raise();
    activateWindow();
    m_sinceInputWanted.invalidate();
    m_inputHeld = false;
    m_idleClose->start();
    takeInput();
}

void PopoverWindow::showAsWindow(bool activate)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!(isVisible() && m_asWindow)) {
        setWindowMode(true);
        m_closeRequested = false;
        m_sinceOutsideClose.invalidate();
        fit();
        setAttribute(Qt::WA_ShowWithoutActivating, !activate);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    if (!activate)
        return;
    raise();
    activateWindow();
}

void PopoverWindow::performClose()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!isVisible())
        return;
    m_closeRequested = true;
    close();
}

void PopoverWindow::closeForSessionLock()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!isVisible() || m_asWindow)
        return;
    logInfo(lcPlatform, "popover: closed for the session's lock or idle");
    performClose();
}

void PopoverWindow::takeInput()
{
    m_inputRetry->stop();
    QWindow* window = windowHandle();
    if (!isX11() || m_asWindow || !isVisible() || !window)
        return;
    // A popup inside the popover holds them until it closes.
    if (QApplication::activePopupWidget())
        return;
    if (!m_sinceInputWanted.isValid())
        m_sinceInputWanted.start();
    const bool keyboard = window->setKeyboardGrabEnabled(true);
    const bool pointer = keyboard && pointerTaken(window);
    const qint64 waited = m_sinceInputWanted.elapsed();
    if (keyboard && pointer) {
        if (waited >= inputRetryMs)
            logInfo(lcPlatform, "popover: took the keyboard and the pointer after %lld ms", qlonglong(waited));
        m_sinceInputWanted.invalidate();
        m_inputHeld = true;
        return;
    }
    // Half of it would still keep a screen locker out.
    if (keyboard)
        window->setKeyboardGrabEnabled(false);
    // Once held, they are lost only to another program (a screen locker
    // taking them while a popup inside gave them back): it is not fought.
    if (m_inputHeld || waited >= inputGiveUpMs) {
        logInfo(lcPlatform, "popover: closed: another program holds the %s", keyboard ? "pointer" : "keyboard");
        performClose();
        return;
    }
    // A holder that keeps them is asked less often.
    m_inputRetry->start(waited < inputRetrySlowAfterMs ? inputRetryMs : inputRetrySlowMs);
}

void PopoverWindow::noteInput(QObject* watched, QEvent* event)
{
    if (!m_idleClose->isActive() || !watched->isWindowType())
        return;
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!key && !isPointerInput(event->type()))
        return;
    // Input reaches the program's windows first; the popover's own, or a
    // popup's opened inside it.
    auto* target = static_cast<QWindow*>(watched);
    QWidget* popup = QApplication::activePopupWidget();
    const bool ours = target == windowHandle() || (popup && popup->windowHandle() == target);
    if (!ours)
        return;
    // The pointer counts over the popover or the popup only: while it is
    // grabbed, moves anywhere on the screen come here.
    if (!key) {
        const QPoint at = static_cast<QSinglePointEvent*>(event)->globalPosition().toPoint();
        if (!geometry().contains(at) && !(popup && popup->geometry().contains(at)))
            return;
    }
    m_idleClose->start();
}

bool PopoverWindow::isEchoOfOutsideClose() const
{
    return m_sinceOutsideClose.isValid() && m_sinceOutsideClose.elapsed() < outsideCloseEchoMs;
}

bool PopoverWindow::eventFilter(QObject* watched, QEvent* event)
{
    noteInput(watched, event);
    // Under XWayland a click on a Wayland surface never reaches the grab:
    // the pointer leaving the popover for one is the outside click.
    if (event->type() == QEvent::Leave && watched == windowHandle() && isXWayland() && !m_asWindow)
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !m_asWindow && !QApplication::activePopupWidget() && pointerOverNoXWindow()) {
                logInfo(lcPlatform, "popover: closed: the pointer left it for a Wayland surface");
                m_sinceOutsideClose.start();
                close();
            }
        });
    if (watched == m_content && event->type() == QEvent::LayoutRequest && isVisible())
        scheduleFit();
    // A popup closing (an info bubble inside the popover) gives up the grab.
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->windowType() == Qt::Popup)
        QTimer::singleShot(0, this, &PopoverWindow::takeInput);
    return QWidget::eventFilter(watched, event);
}

void PopoverWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_asWindow)
        return;
    qApp->installEventFilter(this);
    // Another window of the program comes forward (a dialog): the popover
    // gives way, as a popup did, and leaves that window the pointer.
    m_focusWatch = connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        if (focused && focused != windowHandle() && focused->type() != Qt::Popup && focused->type() != Qt::ToolTip)
            performClose();
    });
}

void PopoverWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_closeRequested = true;
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopoverWindow::mousePressEvent(QMouseEvent* event)
{
    // A popup receives the presses outside it; the default handling closes it.
    if (!rect().contains(event->position().toPoint())) {
        const bool secondOfOpening =
            m_sinceShown.isValid()
            && !m_sinceShown.hasExpired(QGuiApplication::styleHints()->mouseDoubleClickInterval())
            && (event->globalPosition().toPoint() - m_anchor).manhattanLength()
                   <= QGuiApplication::styleHints()->startDragDistance();
        if (secondOfOpening) {
            event->accept();
            return;
        }
        m_sinceOutsideClose.start();
        if (!m_asWindow) {
            event->accept();
            close();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void PopoverWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    qApp->removeEventFilter(this);
    disconnect(m_focusWatch);
    m_inputRetry->stop();
    m_idleClose->stop();
    m_inputHeld = false;
    giveFocusBack();
    // Any close we did not ask for (an outside click, the window system taking
    // the grab away) may be followed by the same click's activation.
    if (!m_closeRequested && !m_sinceOutsideClose.isValid() && !m_asWindow)
        m_sinceOutsideClose.start();
    m_closeRequested = false;
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            Q_EMIT didClose();
    });
}

void PopoverWindow::giveFocusBack()
{
    const auto before = xcb_window_t(std::exchange(m_focusBefore, 0));
    xcb_connection_t* c = before != XCB_NONE && !m_asWindow && isX11() ? xcbConnection() : nullptr;
    const xcb_screen_t* screen = c ? xcb_setup_roots_iterator(xcb_get_setup(c)).data : nullptr;
    if (!screen || before == screen->root)
        return;
    // Only where the focus went nowhere with the popover: not to a window
    // the user or the program chose since.
    const xcb_window_t now = focusedWindow(c);
    if (now != XCB_NONE && now != screen->root && now != xcb_window_t(winId()))
        return;
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, before), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return;
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, before, XCB_CURRENT_TIME);
    xcb_flush(c);
}

void PopoverWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.25f);
    p.setPen(border);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace gaugelet
