#include "platform/core/NotificationCenter.h"

#include <algorithm>

namespace gaugelet {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::observe(const QString& name, QObject* context, Handler handler)
{
    std::lock_guard lock(m_mutex);
    const Token token = m_nextToken++;
    m_observers.push_back(Observer{token, name, context != nullptr, QPointer<QObject>(context), std::move(handler)});
    return token;
}

void NotificationCenter::removeObserver(Token token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [token](const Observer& o) { return o.token == token; });
}

void NotificationCenter::post(const QString& name, QObject* object, const QVariantMap& userInfo)
{
    std::vector<Handler> handlers;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_observers, [](const Observer& o) { return o.hasContext && !o.context; });
        for (const Observer& o : m_observers) {
            if (o.name == name)
                handlers.push_back(o.handler);
        }
    }
    const Notification note{name, object, userInfo};
    for (const Handler& handler : handlers)
        handler(note);
}

} // namespace gaugelet
