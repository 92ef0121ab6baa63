#pragma once

// A small org.freedesktop.Notifications server for tests that need what a
// real daemon cannot give on demand: the exact Notify arguments, and
// ActionInvoked / NotificationClosed emitted when the test says so.

#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QList>
#include <QSet>
#include <QVariantMap>

namespace gaugelet::test {

class FakeNotificationServer {
public:
    struct Notify {
        QString appName;
        quint32 replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        qint32 timeout = 0;
        quint32 returnedId = 0;
    };

    static inline const QString path = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString interface = QStringLiteral("org.freedesktop.Notifications");

    explicit FakeNotificationServer(PrivateBus& bus) : m_connection(bus.connect())
    {
        m_object = std::make_unique<FakeDBusObject>(QString(), [this](const QDBusMessage& m) { return handle(m); });
        m_connection.registerVirtualObject(path, m_object.get());
        m_registered = m_connection.registerService(interface);
    }

    ~FakeNotificationServer()
    {
        m_connection.unregisterObject(path);
        m_connection.unregisterService(interface);
    }

    bool isRegistered() const { return m_registered; }
    const QList<Notify>& notifications() const { return m_notifications; }
    int capabilityCalls() const { return m_capabilityCalls; }
    // The ids CloseNotification was called with, in order.
    const QList<quint32>& closed() const { return m_closed; }
    // When set, Notify answers with this D-Bus error instead.
    void failNotifyWith(const QString& errorName) { m_notifyError = errorName; }
    const QDBusConnection& connection() const { return m_connection; }

    void emitActionInvoked(quint32 id, const QString& actionKey)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, QStringLiteral("ActionInvoked"));
        signal << id << actionKey;
        m_connection.send(signal);
    }

    void emitClosed(quint32 id, quint32 reason = 2)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, QStringLiteral("NotificationClosed"));
        signal << id << reason;
        m_connection.send(signal);
    }

private:
    QDBusMessage handle(const QDBusMessage& m)
    {
        const QString member = m.member();
        if (member == QLatin1String("GetCapabilities")) {
            ++m_capabilityCalls;
            return m.createReply(QStringList{QStringLiteral("actions"), QStringLiteral("body")});
        }
        if (member == QLatin1String("GetServerInformation"))
            return m.createReply(QVariantList{QStringLiteral("fake"), QStringLiteral("gaugelet-tests"),
                                              QStringLiteral("1"), QStringLiteral("1.2")});
        if (member == QLatin1String("Notify")) {
            if (!m_notifyError.isEmpty())
                return m.createErrorReply(m_notifyError, QStringLiteral("refused by the test"));
            const QVariantList a = m.arguments();
            if (a.size() != 8)
                return m.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                          QStringLiteral("Notify takes 8 arguments"));
            Notify n;
            n.appName = a[0].toString();
            n.replacesId = a[1].toUInt();
            n.appIcon = a[2].toString();
            n.summary = a[3].toString();
            n.body = a[4].toString();
            n.actions = a[5].toStringList();
            const QDBusArgument hints = a[6].value<QDBusArgument>();
            hints >> n.hints;
            for (auto it = n.hints.begin(); it != n.hints.end(); ++it) {
                if (it->canConvert<QDBusVariant>())
                    *it = it->value<QDBusVariant>().variant();
            }
            n.timeout = a[7].toInt();
            n.returnedId = (n.replacesId != 0 && m_live.contains(n.replacesId)) ? n.replacesId : m_nextId++;
            m_live.insert(n.returnedId);
            m_notifications.append(n);
            return m.createReply(QVariant::fromValue(n.returnedId));
        }
        if (member == QLatin1String("CloseNotification")) {
            const quint32 id = m.arguments().value(0).toUInt();
            m_closed.append(id);
            if (m_live.remove(id))
                emitClosed(id, 3); // closed by a call to CloseNotification
            return m.createReply();
        }
        return {};
    }

    QDBusConnection m_connection;
    std::unique_ptr<FakeDBusObject> m_object;
    bool m_registered = false;
    QList<Notify> m_notifications;
    QSet<quint32> m_live;
    QList<quint32> m_closed;
    quint32 m_nextId = 1;
    int m_capabilityCalls = 0;
    QString m_notifyError;
};

// A notification server that takes the name and never answers a call: the
// daemon that hangs.
class SilentNotificationServer {
public:
    explicit SilentNotificationServer(PrivateBus& bus) : m_connection(bus.connect())
    {
        m_connection.registerVirtualObject(FakeNotificationServer::path, &m_object);
        m_registered = m_connection.registerService(FakeNotificationServer::interface);
    }
    ~SilentNotificationServer()
    {
        m_connection.unregisterObject(FakeNotificationServer::path);
        m_connection.unregisterService(FakeNotificationServer::interface);
    }

    bool isRegistered() const { return m_registered; }
    int calls() const { return m_object.calls; }

private:
    struct Object : QDBusVirtualObject {
        int calls = 0;
        QString introspect(const QString&) const override { return {}; }
        bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
        {
            if (message.type() != QDBusMessage::MethodCallMessage)
                return false;
            ++calls;
            message.setDelayedReply(true); // and the reply never comes
            return true;
        }
    };

    QDBusConnection m_connection;
    Object m_object;
    bool m_registered = false;
};

} // namespace gaugelet::test
