#include "platform/desktop/SessionShell.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>

namespace gaugelet {

SessionShell::SessionShell(const QString& busAddress)
    : m_bus(busAddress.isEmpty()
                ? QDBusConnection::sessionBus()
                : QDBusConnection::connectToBus(busAddress, QStringLiteral("gaugelet-shell-") + busAddress))
{
}

void SessionShell::askIsGnomeShell(QObject* context, std::function<void(bool)> answer) const
{
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            context, [answer] { answer(false); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << gnomeShellService;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, replyTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [answer](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<bool> reply = *w;
        answer(!reply.isError() && reply.value());
    });
}

} // namespace gaugelet
