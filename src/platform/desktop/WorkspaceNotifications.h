#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace gaugelet {

// The desktop's "screens sleep/wake" and "session active/inactive" events, as
// four signals. On Linux they come from D-Bus:
//   - logind's Manager.PrepareForSleep(true/false) on the system bus: screens
//     sleep / wake;
//   - the Active property of our own logind session (PropertiesChanged on the
//     system bus): session becomes active / resigns active (another login has
//     the seat);
//   - org.freedesktop.ScreenSaver.ActiveChanged(true/false) on the session bus:
//     screens sleep / wake.
// A bus that is not connected simply sends nothing, so without D-Bus the
// program is never paused. Signals are delivered on the thread of this object.
class WorkspaceNotifications : public QObject {
    Q_OBJECT
public:
    static inline const QString logindService = QStringLiteral("org.freedesktop.login1");
    static inline const QString logindPath = QStringLiteral("/org/freedesktop/login1");
    static inline const QString logindManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
    static inline const QString logindSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
    static inline const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
    static inline const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
    static inline const QString screenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");

    // systemBus carries logind, sessionBus the screensaver; tests pass private buses.
    WorkspaceNotifications(const QDBusConnection& systemBus, const QDBusConnection& sessionBus,
                           QObject* parent = nullptr);
    ~WorkspaceNotifications() override;

    // The process-wide instance on the real system and session buses.
    static WorkspaceNotifications* shared();

    // The object path of our logind session once it is known, else empty.
    QString sessionPath() const { return m_sessionPath; }

Q_SIGNALS:
    void screensDidSleep();
    void screensDidWake();
    void sessionDidResignActive();
    void sessionDidBecomeActive();
    // Emitted once the session's object path is known (diagnostics, tests).
    void sessionPathResolved(const QString& path);

private Q_SLOTS:
    void onPrepareForSleep(bool start);
    void onScreenSaverActiveChanged(bool active);
    void onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated);

private:
    void resolveSession();
    void watchSession(const QString& path);
    void fetchActive();
    void applyActive(bool active);

    QDBusConnection m_system;
    QDBusConnection m_session;
    QString m_sessionPath;
};

} // namespace gaugelet
