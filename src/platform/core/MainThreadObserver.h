#pragma once

#include "platform/core/NotificationCenter.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace gaugelet {

// Observes one notification name for as long as it lives and runs the handler
// on the main thread: at once when the notification is posted there, else
// queued to it, and then dropped if the observer is gone by that time.
// Made and destroyed on the main thread.
class MainThreadObserver {
public:
    MainThreadObserver(const QString& name, std::function<void()> handler,
                       NotificationCenter& center = NotificationCenter::defaultCenter());
    ~MainThreadObserver();
    MainThreadObserver(const MainThreadObserver&) = delete;
    MainThreadObserver& operator=(const MainThreadObserver&) = delete;

private:
    NotificationCenter& m_center;
    // Lives on the main thread; queued runs are delivered through it.
    std::unique_ptr<QObject> m_context;
    NotificationCenter::Token m_token = 0;
};

} // namespace gaugelet
