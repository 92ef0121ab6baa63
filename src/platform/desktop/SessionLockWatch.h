#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace gaugelet {

class WorkspaceNotifications;

// The moments a screen locker is about to want the keyboard and the pointer,
// as one signal, sessionWillLock():
//   - logind's Session.Lock on our own session (system bus: loginctl
//     lock-session, and what xss-lock turns into its locker);
//   - the screens going to sleep or the session going inactive, as
//     WorkspaceNotifications tells (logind's PrepareForSleep(true),
//     org.freedesktop.ScreenSaver.ActiveChanged(true), Active false);
//   - GNOME's screen shield, org.gnome.ScreenSaver.ActiveChanged(true);
//   - GNOME's presence going idle, org.gnome.SessionManager.Presence
//     StatusChanged(3), which comes before its lock on idle.
// A signal whose arguments are not of the types named is never delivered
// (the bus connections match the signature), so it is ignored.
class SessionLockWatch : public QObject {
    Q_OBJECT
public:
    static inline const QString gnomeScreenSaverService = QStringLiteral("org.gnome.ScreenSaver");
    static inline const QString gnomeScreenSaverPath = QStringLiteral("/org/gnome/ScreenSaver");
    static inline const QString gnomePresenceService = QStringLiteral("org.gnome.SessionManager");
    static inline const QString gnomePresencePath = QStringLiteral("/org/gnome/SessionManager/Presence");
    static inline const QString gnomePresenceInterface = QStringLiteral("org.gnome.SessionManager.Presence");
    static constexpr uint presenceIdle = 3;

    // The session's path and the sleep and activity changes come from
    // `workspace`; systemBus carries logind, sessionBus GNOME's services.
    SessionLockWatch(WorkspaceNotifications* workspace, const QDBusConnection& systemBus,
                     const QDBusConnection& sessionBus, QObject* parent = nullptr);
    ~SessionLockWatch() override;

Q_SIGNALS:
    void sessionWillLock();

private Q_SLOTS:
    void onLock();
    void onGnomeScreenSaverActiveChanged(bool active);
    void onPresenceStatusChanged(uint status);

private:
    void watchSession(const QString& path);

    QDBusConnection m_system;
    QDBusConnection m_session;
    QString m_sessionPath;
};

} // namespace gaugelet
