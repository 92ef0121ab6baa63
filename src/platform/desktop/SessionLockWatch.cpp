#include "platform/desktop/SessionLockWatch.h"

#include "platform/core/PlatformLog.h"
#include "platform/desktop/WorkspaceNotifications.h"

namespace gaugelet {

SessionLockWatch::SessionLockWatch(WorkspaceNotifications* workspace, const QDBusConnection& systemBus,
                                   const QDBusConnection& sessionBus, QObject* parent)
    : QObject(parent), m_system(systemBus), m_session(sessionBus)
{
    connect(workspace, &WorkspaceNotifications::screensDidSleep, this, &SessionLockWatch::sessionWillLock);
    connect(workspace, &WorkspaceNotifications::sessionDidResignActive, this, &SessionLockWatch::sessionWillLock);
    connect(workspace, &WorkspaceNotifications::sessionPathResolved, this, &SessionLockWatch::watchSession);
    watchSession(workspace->sessionPath());
    if (m_session.isConnected()) {
        m_session.connect(gnomeScreenSaverService, gnomeScreenSaverPath, gnomeScreenSaverService,
                          QStringLiteral("ActiveChanged"), this, SLOT(onGnomeScreenSaverActiveChanged(bool)));
        m_session.connect(gnomePresenceService, gnomePresencePath, gnomePresenceInterface,
                          QStringLiteral("StatusChanged"), this, SLOT(onPresenceStatusChanged(uint)));
    }
}

SessionLockWatch::~SessionLockWatch() = default;

void SessionLockWatch::watchSession(const QString& path)
{
    if (path.isEmpty() || path == m_sessionPath || !m_system.isConnected())
        return;
    if (!m_sessionPath.isEmpty())
        m_system.disconnect(WorkspaceNotifications::logindService, m_sessionPath,
                            WorkspaceNotifications::logindSessionInterface, QStringLiteral("Lock"), this,
                            SLOT(onLock()));
    m_sessionPath = path;
    // Lock carries no arguments: nothing is decoded.
    m_system.connect(WorkspaceNotifications::logindService, path, WorkspaceNotifications::logindSessionInterface,
                     QStringLiteral("Lock"), this, SLOT(onLock()));
}

void SessionLockWatch::onLock()
{
    logInfo(lcPlatform, "session: logind asks the session to lock");
    Q_EMIT sessionWillLock();
}

void SessionLockWatch::onGnomeScreenSaverActiveChanged(bool active)
{
    if (active)
        Q_EMIT sessionWillLock();
}

void SessionLockWatch::onPresenceStatusChanged(uint status)
{
    if (status == presenceIdle)
        Q_EMIT sessionWillLock();
}

} // namespace gaugelet
