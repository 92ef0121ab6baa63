#include "app/NoStatusAreaNotice.h"

#include "app/AppLog.h"
#include "platform/core/MainThread.h"
#include "platform/statusitem/SniStatusItem.h"

#include <utility>

namespace gaugelet {

NoStatusAreaNotice::NoStatusAreaNotice(SniStatusItem* statusItem, bool startedAtLogin, Actions actions, QObject* parent)
    : QObject(parent), m_statusItem(statusItem), m_startedAtLogin(startedAtLogin), m_actions(std::move(actions))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, &NoStatusAreaNotice::onGraceEnded);
}

void NoStatusAreaNotice::start()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_statusItem)
        return;
    connect(m_statusItem.data(), &SniStatusItem::statusAreaChanged, this, &NoStatusAreaNotice::onStatusArea);
    onStatusArea(m_statusItem->hasStatusArea());
}

bool NoStatusAreaNotice::hasStatusArea() const
{
    return m_statusItem && m_statusItem->hasStatusArea();
}

int NoStatusAreaNotice::graceMs() const
{
    if (m_graceOverrideMs >= 0)
        return m_graceOverrideMs;
    if (m_seen)
        return lossGraceMs;
    return m_startedAtLogin ? loginGraceMs : startGraceMs;
}

void NoStatusAreaNotice::onStatusArea(bool present)
{
    if (!present) {
        if (!m_grace.isActive() && !m_waitingForShell) {
            m_grace.start(graceMs());
            // Known by the grace's end.
            if (!m_told)
                askShell();
        }
        return;
    }
    m_grace.stop();
    m_waitingForShell = false;
    // Believed until found otherwise; seen once the host read every item.
    m_seen = m_seen || m_statusItem->isRowSeen();
    // What the notification says to do is done, or no longer needed.
    if (m_told && m_seen)
        UserNotificationCenter::current()->removeDeliveredNotifications({requestIdentifier});
    if (m_windowShown) {
        m_windowShown = false;
        if (m_actions.closeWindow)
            m_actions.closeWindow();
    }
}

void NoStatusAreaNotice::askShell()
{
    if (m_askingShell)
        return;
    m_askingShell = true;
    m_gnomeShell.reset();
    m_shell.askIsGnomeShell(this, [this](bool gnomeShell) {
        m_askingShell = false;
        m_gnomeShell = gnomeShell;
        if (std::exchange(m_waitingForShell, false))
            onGraceEnded();
    });
}

void NoStatusAreaNotice::onGraceEnded()
{
    if (hasStatusArea())
        return;
    // At a start from the login item, only the notification.
    const bool window = !(m_startedAtLogin && !m_seen);
    if (!m_told && !m_gnomeShell) {
        // The notification comes first, and names the shell: the grace lasts
        // until the bus has said which runs the session.
        m_waitingForShell = true;
        askShell();
        return;
    }
    logInfo(appLog, "statusArea.missing told=%d window=%d", int(m_told), int(window));
    if (!m_told)
        tell(window);
    if (window && !m_windowShown) {
        m_windowShown = true;
        if (m_actions.showWindow)
            m_actions.showWindow();
    }
}

void NoStatusAreaNotice::tell(bool windowShown)
{
    m_told = true;
    const bool watcher = m_statusItem && m_statusItem->hasWatcher();
    const Missing missing = m_gnomeShell.value_or(false) && !watcher ? Missing::gnomeExtension : Missing::statusArea;
    UserNotificationCenter::current()->add(
        request(missing, windowShown), [](std::optional<UserNotificationCenter::Error> error) {
            if (error)
                logInfo(appLog, "statusArea.notification error=%s", qUtf8Printable(error->describe()));
        });
}

UserNotificationCenter::Request NoStatusAreaNotice::request(Missing missing, bool windowShown)
{
    UserNotificationCenter::Request request;
    request.identifier = requestIdentifier;
    request.title = tr("Gaugelet cannot show its tiles in the panel");
    switch (missing) {
    case Missing::gnomeExtension:
        request.body = windowShown ? tr("GNOME shows them only with the AppIndicator extension: install "
                                        "gnome-shell-extension-appindicator, log out and in again, then turn it on in "
                                        "Extensions. Until then, Gaugelet shows its window.")
                                   : tr("GNOME shows them only with the AppIndicator extension: install "
                                        "gnome-shell-extension-appindicator, log out and in again, then turn it on in "
                                        "Extensions. Until then, open Gaugelet from the applications menu to see its "
                                        "window.");
        break;
    case Missing::statusArea:
        request.body = windowShown ? tr("No panel here shows a status area (system tray). Add one to a panel. "
                                        "Until then, Gaugelet shows its window.")
                                   : tr("No panel here shows a status area (system tray). Add one to a panel. "
                                        "Until then, open Gaugelet from the applications menu to see its window.");
        break;
    }
    return request;
}

} // namespace gaugelet
