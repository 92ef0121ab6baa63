#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QScreen;
class QTimer;

namespace gaugelet {

// The popover's window: a frameless top-level titled "Gaugelet" that holds one
// content widget. It opens under the click point of the status item (above it
// when the click is in the lower half of the screen, where a bottom panel is),
// clamped to that screen's available geometry; its width is the content's
// fixed width and its height follows the content for that width, also when the
// content grows or shrinks while open. Escape or a click outside closes it.
//
// On X11 it is a window the window manager leaves alone (override-redirect)
// that takes the keyboard and the pointer itself when it opens, not a
// Qt::Popup: Qt names a popup's transient parent (its hidden, never-mapped
// leader window, which GNOME Shell logs as invalid at every opening), and
// closes every popup whenever another window of the program shows (as an
// XEmbed tray icon does when a pin adds a tile). Where another program holds
// the keyboard or the pointer as it opens, it tries again every inputRetryMs
// (after 2 s, every 250 ms), holding neither meanwhile, until it has both;
// after inputGiveUpMs without them it closes. After a popup inside it (an
// info bubble) closes, which gives the grab back to nobody, it takes them
// again, and closes if another program (a screen locker) took them first.
// Another window of the program coming forward (a dialog) closes it, as it
// closed a popup. The keyboard focus it took goes back, as it closes, to the
// window that had it, unless it went elsewhere meanwhile. On Wayland, which
// has no grabs, it stays a Qt::Popup.
//
// It never keeps the session from locking: a screen locker needs the
// keyboard and the pointer, so the popover closes after idleCloseMs without
// input (a key, or the pointer over it), shorter than the shortest idle delay
// desktops offer (a minute), and at once on closeForSessionLock(), which the
// owner calls at the session's lock and idle signals.
//
// Under XWayland (sway) the X server hears of no click on a Wayland surface,
// so the grab sees none outside the popover: there the popover closes when
// the pointer leaves it for no X11 window.
//
// The pointer grab replaces a global outside-click monitor. A click
// on the status item while the popover is open arrives twice: first as the
// outside click that closes the popover, then as the item's own activation.
// isEchoOfOutsideClose() tells the second one apart, so it does not reopen.
// The second press of a double click that opened it, at the opening click's
// point, leaves it open: a double click on the item counts as one.
class PopoverWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int outsideCloseEchoMs = 400;
    static constexpr int anchorGap = 4;
    static constexpr int fallbackHeight = 200;
    static constexpr int inputRetryMs = 20;
    static constexpr int inputRetrySlowAfterMs = 2'000;
    static constexpr int inputRetrySlowMs = 250;
    static constexpr int inputGiveUpMs = 10'000;
    static constexpr int idleCloseMs = 45'000;
    // A shorter idle time (milliseconds, at most idleCloseMs), for tests.
    static constexpr const char* idleCloseEnv = "GAUGELET_POPOVER_IDLE_MS";

    explicit PopoverWindow(QWidget* parent = nullptr);
    ~PopoverWindow() override;

    // Takes the content (its parent becomes this window); the previous one is
    // deleted later, never inside its own handler. nullptr drops the content.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Shows the window for an anchor point (global, device-independent pixels).
    // A (0, 0) anchor, which some hosts send, means the pointer's position.
    void showAt(const QPoint& anchor);
    // Where no status area shows the row, the window stands in for it as an
    // ordinary one: framed, open until closed (showAt makes it the popup
    // again). It first stands in the middle of the main screen at the size
    // its content asks for, within the screen (WindowPlacement); then the user
    // may move and resize it. Without `activate` it comes up behind the window
    // in front rather than taking the keyboard from it.
    void showAsWindow(bool activate = true);
    bool isShownAsWindow() const { return m_asWindow; }
    // Closes on the owner's request (the status item toggled it).
    void performClose();
    // Closes the popover, not the stand-in window, for the session's lock or
    // idle signal: a screen locker is about to want the input.
    void closeForSessionLock();
    // True within a short time after the popup closed itself on an outside click.
    bool isEchoOfOutsideClose() const;

    // The placement for a window of the given size: under the anchor, or above
    // it in the lower half of the screen, clamped to the available geometry.
    static QRect placement(const QPoint& anchor, QSize size, const QRect& available);
    // The window size for the content: its width, and its height for that
    // width, clamped to the available height; 200 when it has none.
    static QSize fittedSize(const QWidget* content, const QRect& available);

    QPoint anchor() const { return m_anchor; }

Q_SIGNALS:
    // After the window has closed, by any path.
    void didClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fit();
    void scheduleFit();
    // Takes the keyboard and the pointer for the open popover (X11), or
    // tries again shortly while another program holds either.
    void takeInput();
    // The user's input reaching the popover (or a popup inside it) puts the
    // idle close off.
    void noteInput(QObject* watched, QEvent* event);
    void setWindowMode(bool asWindow);
    // Gives the keyboard focus back to the window that had it before the
    // popover opened, where it went nowhere with the popover (X11).
    void giveFocusBack();
    QScreen* anchorScreen() const;

    QPointer<QWidget> m_content;
    QPoint m_anchor;
    bool m_closeRequested = false;
    bool m_fitScheduled = false;
    bool m_asWindow = false;
    QElapsedTimer m_sinceOutsideClose;
    QElapsedTimer m_sinceShown;
    QTimer* m_inputRetry = nullptr;
    QTimer* m_idleClose = nullptr;
    // Both grabs were held at this opening: failing to take them again means
    // another program has them.
    bool m_inputHeld = false;
    // The X window that had the keyboard focus as the popover opened.
    quint32 m_focusBefore = 0;
    QMetaObject::Connection m_focusWatch;
    // Since the popover first tried to take the input at this opening.
    QElapsedTimer m_sinceInputWanted;
};

} // namespace gaugelet
