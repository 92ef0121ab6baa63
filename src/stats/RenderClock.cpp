#include "stats/RenderClock.h"

#include "platform/core/DispatchTimer.h"
#include "platform/core/MainThread.h"

#include <algorithm>

namespace gaugelet {

RenderClock::RenderClock(QObject* parent) : QObject(parent) {}

RenderClock::~RenderClock()
{
    cancelTimer();
}

void RenderClock::start()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_running)
        return;
    m_running = true;
    m_suspended = false;
    startTimer();
}

void RenderClock::setHz(int hz)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    hz = std::max(1, hz);
    if (hz == m_hz)
        return;
    m_hz = hz;
    if (m_running)
        startTimer();
}

void RenderClock::suspend()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_running || m_suspended || !m_timer)
        return;
    m_suspended = true;
    m_timer->suspend();
}

void RenderClock::resume()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_running || !m_suspended || !m_timer)
        return;
    m_suspended = false;
    m_timer->resume();
}

void RenderClock::startTimer()
{
    cancelTimer();
    const int hz = std::max(1, m_hz);
    const std::chrono::nanoseconds interval(1'000'000'000LL / hz);
    const std::chrono::nanoseconds leeway(1'000'000'000LL / std::max(1, 4 * hz));
    // The timer thread only hops to the main thread. The clock joins that
    // thread before it is destroyed, and Qt drops queued calls to a deleted
    // receiver, so a late event never reaches a dead clock.
    m_timer = std::make_unique<DispatchTimer>("dev.gaugelet.renderclock", interval, leeway, [this] {
        QMetaObject::invokeMethod(this, &RenderClock::onTimerEvent, Qt::QueuedConnection);
    });
    ++m_timersCreated;
    m_suspended = false;
}

void RenderClock::cancelTimer()
{
    if (!m_timer)
        return;
    m_timer->cancel();
    m_timer.reset();
    m_suspended = false;
}

void RenderClock::onTimerEvent()
{
    if (!m_running || m_suspended)
        return;
    Q_EMIT objectWillChange();
    ++m_tick;
    Q_EMIT tickChanged(m_tick);
}

} // namespace gaugelet
