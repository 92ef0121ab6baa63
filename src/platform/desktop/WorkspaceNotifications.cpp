#include "platform/desktop/WorkspaceNotifications.h"

#include "platform/core/DBusValue.h"
#include "platform/core/PlatformLog.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <unistd.h>

namespace gaugelet {

WorkspaceNotifications::WorkspaceNotifications(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                                               QObject* parent)
    : QObject(parent), m_system(systemBus), m_session(sessionBus)
{
    if (m_system.isConnected()) {
        // Each hook names the types its signal carries: a signal of other
        // types is not delivered (QtDBus would decode it as these).
        m_system.connect(logindService, logindPath, logindManagerInterface, QStringLiteral("PrepareForSleep"),
                         QStringLiteral("b"), this, SLOT(onPrepareForSleep(bool)));
        resolveSession();
    } else {
        logInfo(lcPlatform, "workspace: no system bus; sleep and session changes are not watched");
    }
    if (m_session.isConnected()) {
        m_session.connect(screenSaverService, screenSaverPath, screenSaverInterface, QStringLiteral("ActiveChanged"),
                          QStringLiteral("b"), this, SLOT(onScreenSaverActiveChanged(bool)));
    } else {
        logInfo(lcPlatform, "workspace: no session bus; the screensaver is not watched");
    }
}

WorkspaceNotifications::~WorkspaceNotifications() = default;

WorkspaceNotifications* WorkspaceNotifications::shared()
{
    static WorkspaceNotifications* instance =
        new WorkspaceNotifications(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    return instance;
}

void WorkspaceNotifications::resolveSession()
{
    // Our own session: the one named by XDG_SESSION_ID, else the one logind
    // assigns to this process.
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    QDBusMessage call;
    if (!sessionId.isEmpty()) {
        call = QDBusMessage::createMethodCall(logindService, logindPath, logindManagerInterface,
                                              QStringLiteral("GetSession"));
        call << sessionId;
    } else {
        call = QDBusMessage::createMethodCall(logindService, logindPath, logindManagerInterface,
                                              QStringLiteral("GetSessionByPID"));
        call << quint32(::getpid());
    }
    auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            logInfo(lcPlatform, "workspace: no logind session (%s); session changes are not watched",
                    qUtf8Printable(reply.error().message()));
            return;
        }
        watchSession(reply.value().path());
    });
}

void WorkspaceNotifications::watchSession(const QString& path)
{
    m_sessionPath = path;
    m_system.connect(logindService, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                     QStringLiteral("PropertiesChanged"), QStringLiteral("sa{sv}as"), this,
                     SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    Q_EMIT sessionPathResolved(path);
}

void WorkspaceNotifications::onPrepareForSleep(bool start)
{
    if (start)
        Q_EMIT screensDidSleep();
    else
        Q_EMIT screensDidWake();
}

void WorkspaceNotifications::onScreenSaverActiveChanged(bool active)
{
    if (active)
        Q_EMIT screensDidSleep();
    else
        Q_EMIT screensDidWake();
}

void WorkspaceNotifications::onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                        const QStringList& invalidated)
{
    if (interface != logindSessionInterface)
        return;
    const auto it = changed.constFind(QStringLiteral("Active"));
    if (it != changed.cend()) {
        // A value of another type than logind's boolean is no value.
        if (const std::optional<bool> active = DBusValue::as<bool>(*it))
            applyActive(*active);
        return;
    }
    if (invalidated.contains(QStringLiteral("Active")))
        fetchActive();
}

void WorkspaceNotifications::fetchActive()
{
    if (m_sessionPath.isEmpty())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(logindService, m_sessionPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << logindSessionInterface << QStringLiteral("Active");
    auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *w;
        const std::optional<bool> active =
            reply.isError() ? std::nullopt : DBusValue::as<bool>(reply.value().variant());
        if (active)
            applyActive(*active);
    });
}

void WorkspaceNotifications::applyActive(bool active)
{
    if (active)
        Q_EMIT sessionDidBecomeActive();
    else
        Q_EMIT sessionDidResignActive();
}

} // namespace gaugelet
