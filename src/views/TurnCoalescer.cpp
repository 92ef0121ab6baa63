#include "views/TurnCoalescer.h"

#include <QMetaObject>

namespace gaugelet {

TurnCoalescer::TurnCoalescer(QObject* parent, std::function<void()> action)
    : QObject(parent), m_action(std::move(action))
{
}

void TurnCoalescer::request()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &TurnCoalescer::run, Qt::QueuedConnection);
}

void TurnCoalescer::flush()
{
    run();
}

void TurnCoalescer::run()
{
    if (!m_pending)
        return;
    // Cleared first: a request made by the action itself runs on the turn after.
    m_pending = false;
    m_action();
}

} // namespace gaugelet
