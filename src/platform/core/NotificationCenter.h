#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <mutex>
#include <vector>

namespace gaugelet {

// The in-process notification centre: observers register for a name and are
// called synchronously, on the posting thread, in registration order.
class NotificationCenter {
public:
    struct Notification {
        QString name;
        QObject* object = nullptr;
        QVariantMap userInfo;
    };
    using Handler = std::function<void(const Notification&)>;
    using Token = quint64;

    static NotificationCenter& defaultCenter();

    // The observer lives until removed or until context (when given) is destroyed.
    Token observe(const QString& name, QObject* context, Handler handler);
    void removeObserver(Token token);
    void post(const QString& name, QObject* object = nullptr, const QVariantMap& userInfo = {});

private:
    struct Observer {
        Token token;
        QString name;
        bool hasContext;
        QPointer<QObject> context;
        Handler handler;
    };
    std::mutex m_mutex;
    std::vector<Observer> m_observers;
    Token m_nextToken = 1;
};

} // namespace gaugelet
