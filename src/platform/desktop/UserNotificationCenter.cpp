#include "platform/desktop/UserNotificationCenter.h"

#include "platform/core/MainThread.h"
#include "platform/core/PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace gaugelet {

namespace {

UserNotificationCenter* g_override = nullptr;


} // namespace

QString UserNotificationCenter::Error::describe() const
{
    if (message.isEmpty())
        return name;
    return message;
}

UserNotificationCenter::UserNotificationCenter(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    // Only a signal of the types it carries is delivered (QtDBus would
    // decode one of other types as these).
    m_bus.connect(service, objectPath, interface, QStringLiteral("ActionInvoked"), QStringLiteral("us"), this,
                  SLOT(onActionInvoked(quint32, QString)));
    m_bus.connect(service, objectPath, interface, QStringLiteral("NotificationClosed"), QStringLiteral("uu"), this,
                  SLOT(onNotificationClosed(quint32, quint32)));
    // A daemon that comes back numbers its notifications afresh: an old id
    // would replace, or take the actions of, some other program's notification.
    auto* watcher = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &UserNotificationCenter::onServerOwnerChanged);
}

UserNotificationCenter::~UserNotificationCenter()
{
    if (g_override == this)
        g_override = nullptr;
}

UserNotificationCenter* UserNotificationCenter::current()
{
    if (g_override)
        return g_override;
    static UserNotificationCenter* sessionCenter = new UserNotificationCenter(QDBusConnection::sessionBus());
    return sessionCenter;
}

void UserNotificationCenter::setCurrent(UserNotificationCenter* center)
{
    g_override = center;
}

void UserNotificationCenter::setDelegate(Delegate* delegate)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_delegate = delegate;
}

void UserNotificationCenter::requestAuthorization(int options, AuthorizationCompletion completion)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    (void)options; // the desktop has no per-kind permission: a server that answers allows all
    if (!m_bus.isConnected()) {
        const Error error{QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
                          QStringLiteral("Notifications are not allowed: no session bus")};
        QMetaObject::invokeMethod(this, [completion, error] {
            if (completion)
                completion(false, error);
        }, Qt::QueuedConnection);
        return;
    }
    askCapabilities([completion](const QDBusError& error) {
        if (!completion)
            return;
        if (error.isValid())
            completion(false, Error{error.name(), error.message()});
        else
            completion(true, std::nullopt);
    });
}

void UserNotificationCenter::getNotificationSettings(SettingsCompletion completion)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(this, [completion] {
            if (completion)
                completion(Settings{});
        }, Qt::QueuedConnection);
        return;
    }
    askCapabilities([completion](const QDBusError& error) {
        if (!completion)
            return;
        Settings settings;
        if (!error.isValid())
            settings.authorizationStatus = AuthorizationStatus::authorized;
        completion(settings);
    });
}

void UserNotificationCenter::askCapabilities(std::function<void(const QDBusError&)> answered)
{
    const QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_replyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [answered](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        answered(reply.isError() ? reply.error() : QDBusError());
    });
}

void UserNotificationCenter::setNotificationCategories(const QList<Category>& categories)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_categories = categories;
}

void UserNotificationCenter::add(const Request& request, AddCompletion completion)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    int options = presentBanner | presentList;
    if (m_delegate)
        options = m_delegate->willPresent(request);
    if (!(options & (presentBanner | presentList))) {
        // Presentation declined: nothing to show, and that is no failure.
        QMetaObject::invokeMethod(this, [completion] {
            if (completion)
                completion(std::nullopt);
        }, Qt::QueuedConnection);
        return;
    }
    if (!m_bus.isConnected()) {
        const Error error{QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
                          QStringLiteral("Notifications are not allowed: no session bus")};
        QMetaObject::invokeMethod(this, [completion, error] {
            if (completion)
                completion(error);
        }, Qt::QueuedConnection);
        return;
    }

    QStringList actions;
    for (const Category& category : m_categories) {
        if (category.identifier != request.categoryIdentifier)
            continue;
        for (const Action& action : category.actions)
            actions << action.identifier << action.title;
        break;
    }
    QVariantMap hints;
    if (!(options & presentSound))
        hints.insert(QStringLiteral("suppress-sound"), true);

    const quint32 replacesId = m_serverIds.value(request.identifier, 0);
    QDBusMessage call = QDBusMessage::createMethodCall(service, objectPath, interface, QStringLiteral("Notify"));
    call << QStringLiteral("Gaugelet") << replacesId << QString() << request.title << request.body << actions
         << hints << qint32(-1);

    const QString identifier = request.identifier;
    const QVariantMap userInfo = request.userInfo;
    const quint64 post = ++m_posts;
    m_lastPost.insert(identifier, post);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier, userInfo, completion, post](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                QDBusPendingReply<quint32> reply = *w;
                if (reply.isError()) {
                    if (completion)
                        completion(Error{reply.error().name(), reply.error().message()});
                    return;
                }
                const quint32 id = reply.value();
                if (m_withdrawn.value(identifier) >= post) {
                    // Withdrawn while on its way.
                    close(id);
                    if (completion)
                        completion(std::nullopt);
                    return;
                }
                const quint32 previous = m_serverIds.value(identifier, 0);
                if (previous != 0 && previous != id)
                    m_posted.remove(previous);
                m_serverIds.insert(identifier, id);
                m_posted.insert(id, Posted{identifier, userInfo});
                if (completion)
                    completion(std::nullopt);
            });
}

void UserNotificationCenter::removeDeliveredNotifications(const QStringList& identifiers)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (const QString& identifier : identifiers) {
        if (m_lastPost.contains(identifier))
            m_withdrawn.insert(identifier, m_lastPost.value(identifier));
        const quint32 id = m_serverIds.take(identifier);
        if (id == 0)
            continue;
        m_posted.remove(id);
        close(id);
    }
}

void UserNotificationCenter::close(quint32 serverId)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, objectPath, interface, QStringLiteral("CloseNotification"));
    call << serverId;
    // Nothing waits for the answer: a notification the server no longer
    // shows is gone already.
    m_bus.send(call);
}

void UserNotificationCenter::onActionInvoked(quint32 id, const QString& actionKey)
{
    const auto it = m_posted.constFind(id);
    if (it == m_posted.cend())
        return; // not one of ours (or from before this run)
    if (!m_delegate)
        return;
    const Response response{actionKey, it->identifier, it->userInfo};
    m_delegate->didReceive(response, [] {});
}

void UserNotificationCenter::onNotificationClosed(quint32 id, quint32 reason)
{
    (void)reason;
    const auto it = m_posted.constFind(id);
    if (it == m_posted.cend())
        return;
    // The server forgets a closed id; the next post of that identifier is new.
    if (m_serverIds.value(it->identifier) == id)
        m_serverIds.remove(it->identifier);
    m_posted.erase(it);
}

void UserNotificationCenter::onServerOwnerChanged(const QString& name, const QString& oldOwner,
                                                  const QString& newOwner)
{
    (void)name;
    (void)newOwner;
    // Only a server that went away leaves ids behind; a server that is being
    // started for our own first Notify must not lose the id it answers with.
    if (oldOwner.isEmpty())
        return;
    m_serverIds.clear();
    m_posted.clear();
}

} // namespace gaugelet
