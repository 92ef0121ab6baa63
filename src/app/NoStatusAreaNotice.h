#pragma once

#include "platform/desktop/SessionShell.h"
#include "platform/desktop/UserNotificationCenter.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace gaugelet {

class SniStatusItem;

// Stands in for the status area where nothing shows the row (no watcher and
// no system tray, or a watcher whose items nobody shows), so that the user is
// never left with nothing: once the row has been missing for a grace time
// (panels start after us at login, and restart), it tells once per run, in a
// desktop notification, what is missing and what to do, and shows the window
// from which everything is reached (the popover as an ordinary window). When
// the row shows again, that window closes. Started from the login item, it
// only tells, so that a desktop without a status area is not greeted by a
// window at every login; the window then comes when the program is started
// again, or when the row goes missing after it once showed. Once the row has
// shown, the notification is withdrawn. Main thread.
class NoStatusAreaNotice : public QObject {
    Q_OBJECT
public:
    // How long the row may be missing before the notice: after a start, after
    // a start at login, and after the row showed.
    static constexpr int startGraceMs = 5000;
    static constexpr int loginGraceMs = 30000;
    static constexpr int lossGraceMs = 10000;

    struct Actions {
        std::function<void()> showWindow;
        std::function<void()> closeWindow;
    };

    NoStatusAreaNotice(SniStatusItem* statusItem, bool startedAtLogin, Actions actions, QObject* parent = nullptr);

    // Follows the status item from now on.
    void start();
    bool hasStatusArea() const;
    bool hasTold() const { return m_told; }
    // Tests shorten every grace time, and ask their own bus for the shell.
    void setGraceMs(int ms) { m_graceOverrideMs = ms; }
    void setSessionShell(const SessionShell& shell) { m_shell = shell; }

    // What is missing: GNOME's bar without the extension that shows status
    // items, or any other desktop without a panel that shows them.
    enum class Missing { gnomeExtension, statusArea };
    // The notification; `windowShown` says whether the window came with it.
    static UserNotificationCenter::Request request(Missing missing, bool windowShown);
    static inline const QString requestIdentifier = QStringLiteral("no-status-area");

private:
    void onStatusArea(bool present);
    void onGraceEnded();
    // Asks which shell runs the session; what to tell depends on it.
    void askShell();
    void tell(bool windowShown);
    int graceMs() const;

    QPointer<SniStatusItem> m_statusItem;
    bool m_startedAtLogin;
    Actions m_actions;
    QTimer m_grace;
    SessionShell m_shell;
    std::optional<bool> m_gnomeShell; // as last answered
    bool m_askingShell = false;
    bool m_waitingForShell = false; // the grace ended before the answer came
    int m_graceOverrideMs = -1;
    bool m_seen = false;        // the row showed since the start
    bool m_told = false;        // once per run
    bool m_windowShown = false; // in this spell without a status area
};

} // namespace gaugelet
