#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace gaugelet {

// The desktop's user-notification service, through org.freedesktop.Notifications
// on the session bus:
//   - authorisation: granted exactly when the server answers GetCapabilities;
//   - categories: an in-process table; a request's category decides the
//     actions sent with its Notify call;
//   - one notification per request identifier: Notify's replaces_id is the
//     server id last returned for that identifier;
//   - ActionInvoked (from the server that owns the name) becomes a response
//     handed to the delegate;
//   - notifications never make a sound of their own ("suppress-sound");
//   - server ids belong to one server process: when the name changes owner
//     (the daemon quit, crashed or was replaced) every id we kept is forgotten.
class UserNotificationCenter : public QObject {
    Q_OBJECT
public:
    static inline const QString service = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString interface = QStringLiteral("org.freedesktop.Notifications");
    // The action a server reports for a click on the notification itself.
    static inline const QString defaultActionIdentifier = QStringLiteral("default");

    enum AuthorizationOption { alert = 0x1, sound = 0x2, badge = 0x4 };
    enum PresentationOption { presentBanner = 0x1, presentList = 0x2, presentSound = 0x4, presentBadge = 0x8 };

    struct Action {
        QString identifier;
        QString title;
        bool destructive = false;
        bool operator==(const Action&) const = default;
    };

    struct Category {
        QString identifier;
        QList<Action> actions;
        bool operator==(const Category&) const = default;
    };

    struct Request {
        QString identifier;
        QString title;
        QString body;
        QString categoryIdentifier;
        QVariantMap userInfo;
    };

    struct Response {
        QString actionIdentifier;
        QString requestIdentifier;
        QVariantMap userInfo;
    };

    struct Error {
        QString name;    // the D-Bus error name
        QString message; // the server's or the bus's text
        QString describe() const;
    };

    // The object told how to present notifications and what the user chose.
    class Delegate : public QObject {
    public:
        using QObject::QObject;
        // Options for a notification about to be shown.
        virtual int willPresent(const Request& request) = 0;
        // The user acted on a notification; completion must be called once.
        virtual void didReceive(const Response& response, std::function<void()> completion) = 0;
    };

    // What the desktop allows. On the desktop a server that answers
    // GetCapabilities authorises everything; no answer (no server, an error or
    // the time-out) leaves the question not determined. provisional, ephemeral
    // and denied exist for callers that handle every case; they never occur here.
    enum class AuthorizationStatus { notDetermined = 0, denied = 1, authorized = 2, provisional = 3, ephemeral = 4 };

    struct Settings {
        AuthorizationStatus authorizationStatus = AuthorizationStatus::notDetermined;
    };

    // How long a call that asks the server about itself waits for the answer.
    // A server that never answers must not hold its caller for D-Bus's own 25 s.
    static constexpr int defaultReplyTimeoutMs = 3000;

    using AuthorizationCompletion = std::function<void(bool granted, std::optional<Error> error)>;
    using SettingsCompletion = std::function<void(Settings settings)>;
    using AddCompletion = std::function<void(std::optional<Error> error)>;

    explicit UserNotificationCenter(const QDBusConnection& bus, QObject* parent = nullptr);
    ~UserNotificationCenter() override;

    // The process's centre on the session bus. setCurrent replaces it (tests);
    // nullptr restores the session-bus centre.
    static UserNotificationCenter* current();
    static void setCurrent(UserNotificationCenter* center);

    void setDelegate(Delegate* delegate);
    Delegate* delegate() const { return m_delegate.data(); }

    // Asks the server for its capabilities; granted when it answers within the
    // reply time-out. The completion runs once, on this thread, never inside the call.
    void requestAuthorization(int options, AuthorizationCompletion completion);
    // The current authorisation, read afresh (asynchronously, with the reply
    // time-out). The completion runs once, on this thread, never inside the call.
    void getNotificationSettings(SettingsCompletion completion);
    int replyTimeoutMs() const { return m_replyTimeoutMs; }
    void setReplyTimeoutMs(int ms) { m_replyTimeoutMs = ms; }
    void setNotificationCategories(const QList<Category>& categories);
    QList<Category> notificationCategories() const { return m_categories; }
    // Posts (or replaces) the notification; completion runs on this thread.
    void add(const Request& request, AddCompletion completion = {});
    // Withdraws the notifications posted for these request identifiers
    // (CloseNotification), also one whose post is still on its way.
    void removeDeliveredNotifications(const QStringList& identifiers);

    // The server id behind a request identifier, 0 when none (tests, diagnostics).
    quint32 serverId(const QString& requestIdentifier) const { return m_serverIds.value(requestIdentifier); }

private Q_SLOTS:
    void onActionInvoked(quint32 id, const QString& actionKey);
    void onNotificationClosed(quint32 id, quint32 reason);
    void onServerOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    // Asks the notification server for its capabilities; answered with the
    // call's error (not valid when the server answered).
    void askCapabilities(std::function<void(const QDBusError&)> answered);
    // Asks the server to close one of our notifications.
    void close(quint32 serverId);
    struct Posted {
        QString identifier;
        QVariantMap userInfo;
    };

    QDBusConnection m_bus;
    int m_replyTimeoutMs = defaultReplyTimeoutMs;
    QPointer<Delegate> m_delegate;
    QList<Category> m_categories;
    QHash<QString, quint32> m_serverIds;   // request identifier -> server id
    QHash<quint32, Posted> m_posted;       // server id -> what we posted
    quint64 m_posts = 0;                   // posts sent so far
    QHash<QString, quint64> m_lastPost;    // request identifier -> its last post's number
    QHash<QString, quint64> m_withdrawn;   // request identifier -> the last post withdrawn
};

} // namespace gaugelet
