#pragma once

// Fake logind (Manager with GetSession/GetSessionByPID, one Session with an
// Active property) and a fake screensaver, on a private bus, whose signals
// the test emits.

#include "PrivateBus.h"

#include <QDBusObjectPath>
#include <QDBusVariant>

namespace gaugelet::test {

class FakeLogind {
public:
    static inline const QString service = QStringLiteral("org.freedesktop.login1");
    static inline const QString managerPath = QStringLiteral("/org/freedesktop/login1");
    static inline const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/_32");

    explicit FakeLogind(PrivateBus& bus) : m_connection(bus.connect())
    {
        m_manager = std::make_unique<FakeDBusObject>(QString(), [this](const QDBusMessage& m) {
            if (m.member() == QLatin1String("GetSession") || m.member() == QLatin1String("GetSessionByPID")) {
                ++m_sessionLookups;
                return m.createReply(QVariant::fromValue(QDBusObjectPath(sessionPath)));
            }
            return QDBusMessage();
        });
        m_session = std::make_unique<FakeDBusObject>(QString(), [this](const QDBusMessage& m) {
            if (m.member() == QLatin1String("Get") && m.arguments().value(1).toString() == QLatin1String("Active"))
                return m.createReply(QVariant::fromValue(QDBusVariant(m_active)));
            return QDBusMessage();
        });
        m_connection.registerVirtualObject(managerPath, m_manager.get());
        m_connection.registerVirtualObject(sessionPath, m_session.get());
        m_registered = m_connection.registerService(service);
    }

    bool isRegistered() const { return m_registered; }
    int sessionLookups() const { return m_sessionLookups; }
    const QDBusConnection& connection() const { return m_connection; }

    void prepareForSleep(bool start)
    {
        QDBusMessage s = QDBusMessage::createSignal(managerPath, QStringLiteral("org.freedesktop.login1.Manager"),
                                                    QStringLiteral("PrepareForSleep"));
        s << start;
        m_connection.send(s);
    }

    // The session's Active property changes; sent with its value, or (as
    // some versions do) only named as invalidated.
    void setActive(bool active, bool asInvalidated = false)
    {
        m_active = active;
        QDBusMessage s = QDBusMessage::createSignal(sessionPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("PropertiesChanged"));
        QVariantMap changed;
        QStringList invalidated;
        if (asInvalidated)
            invalidated << QStringLiteral("Active");
        else
            changed.insert(QStringLiteral("Active"), active);
        s << QStringLiteral("org.freedesktop.login1.Session") << changed << invalidated;
        m_connection.send(s);
    }

private:
    QDBusConnection m_connection;
    std::unique_ptr<FakeDBusObject> m_manager;
    std::unique_ptr<FakeDBusObject> m_session;
    bool m_registered = false;
    bool m_active = true;
    int m_sessionLookups = 0;
};

class FakeScreenSaver {
public:
    explicit FakeScreenSaver(PrivateBus& bus) : m_connection(bus.connect())
    {
        m_registered = m_connection.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }
    bool isRegistered() const { return m_registered; }
    const QDBusConnection& connection() const { return m_connection; }

    void activeChanged(bool active)
    {
        QDBusMessage s = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                    QStringLiteral("org.freedesktop.ScreenSaver"),
                                                    QStringLiteral("ActiveChanged"));
        s << active;
        m_connection.send(s);
    }

private:
    QDBusConnection m_connection;
    bool m_registered = false;
};

} // namespace gaugelet::test
