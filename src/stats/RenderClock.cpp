#include "stats/RenderClock.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

int64_t monotonicNs()
{
    return std::llround(MediaClock::now() * 1e9);
}

} // namespace

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
    if (assignIfChanged(m_hz, std::max(1, hz)) && m_running)
        startTimer();
}

void RenderClock::suspend()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_running || m_suspended || !m_timer)
        return;
    m_suspended = true;
    m_timer->stop();
}

void RenderClock::resume()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_running || !m_suspended || !m_timer)
        return;
    m_suspended = false;
    if (monotonicNs() >= m_deadlineNs)
        m_timer->start(0); // one tick for every deadline missed while suspended
    else
        armTimer();
}

void RenderClock::startTimer()
{
    cancelTimer();
    const int hz = std::max(1, m_hz);
    m_intervalNs = 1'000'000'000LL / hz;
    m_deadlineNs = monotonicNs() + m_intervalNs;
    m_timer = std::make_unique<QTimer>();
    m_timer->setSingleShot(true);
    // Coarse: Qt may move a deadline by up to 5 % of the interval, so the
    // wake-up can share the kernel's timer interrupt with others.
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer.get(), &QTimer::timeout, this, &RenderClock::onTimerEvent);
    armTimer();
    ++m_timersCreated;
    m_suspended = false;
}

void RenderClock::armTimer()
{
    const int64_t wait = std::max<int64_t>(0, m_deadlineNs - monotonicNs());
    m_timer->start(int((wait + 999'999) / 1'000'000));
}

void RenderClock::cancelTimer()
{
    if (!m_timer)
        return;
    m_timer->stop();
    m_timer.reset();
    m_suspended = false;
}

void RenderClock::onTimerEvent()
{
    if (!m_running || m_suspended || !m_timer)
        return;
    // One event however many deadlines passed, then back on the grid. A
    // coarse timer may come a little early; that still counts as the deadline.
    const int64_t now = monotonicNs();
    const int64_t passed = now < m_deadlineNs ? 0 : (now - m_deadlineNs) / m_intervalNs;
    m_tickTimeNs = m_deadlineNs + passed * m_intervalNs;
    m_deadlineNs = m_tickTimeNs + m_intervalNs;
    armTimer();
    Q_EMIT objectWillChange();
    ++m_tick;
    Q_EMIT tickChanged(m_tick);
}

} // namespace gaugelet
