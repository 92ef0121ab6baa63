#include "platform/core/MainThreadObserver.h"

#include "platform/core/MainThread.h"

namespace gaugelet {

MainThreadObserver::MainThreadObserver(const QString& name, std::function<void()> handler, NotificationCenter& center)
    : m_center(center), m_context(std::make_unique<QObject>())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QObject* context = m_context.get();
    auto deliver = [context, handler = std::move(handler)](const NotificationCenter::Notification&) {
        if (isMainThread())
            handler();
        else
            QMetaObject::invokeMethod(context, handler, Qt::QueuedConnection);
    };
    m_token = m_center.observe(name, context, std::move(deliver));
}

MainThreadObserver::~MainThreadObserver()
{
    m_center.removeObserver(m_token);
}

} // namespace gaugelet
