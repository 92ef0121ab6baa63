#include "views/TurnCoalescer.h"

#include <QCoreApplication>
#include <QEvent>

namespace gaugelet {

namespace {

const QEvent::Type runEvent = QEvent::Type(QEvent::registerEventType());

} // namespace

TurnCoalescer::TurnCoalescer(QObject* parent, std::function<void()> action)
    : QObject(parent), m_action(std::move(action))
{
}

void TurnCoalescer::request()
{
    if (m_pending)
        return;
    m_pending = true;
    // Low priority: delivered after the events queued for the same turn.
    QCoreApplication::postEvent(this, new QEvent(runEvent), Qt::LowEventPriority);
}

bool TurnCoalescer::event(QEvent* event)
{
    if (event->type() != runEvent)
        return QObject::event(event);
    run();
    return true;
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
