#include "charts/ChartFrameClock.h"

#include "charts/ChartTimeline.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"

#include <algorithm>
#include <limits>

namespace gaugelet {

ChartFrameClock::ChartFrameClock()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ChartFrameClock::tick);
}

ChartFrameClock* ChartFrameClock::instance()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    static ChartFrameClock* clock = new ChartFrameClock; // lives as long as the program
    return clock;
}

void ChartFrameClock::add(ChartTimeline* timeline)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_timelines.contains(timeline))
        return;
    m_timelines.append(timeline);
    schedule(WallClock::now().toMSecsSinceEpoch());
}

void ChartFrameClock::remove(ChartTimeline* timeline)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_timelines.removeAll(timeline);
    m_timelines.removeAll(nullptr);
    if (m_timelines.isEmpty())
        m_timer.stop();
}

qint64 ChartFrameClock::frameIntervalMs() const
{
    qint64 interval = std::numeric_limits<qint64>::max();
    for (const QPointer<ChartTimeline>& t : m_timelines) {
        if (t)
            interval = std::min(interval, t->stepMs());
    }
    if (interval == std::numeric_limits<qint64>::max())
        return interval;
    return std::max<qint64>(interval, minimumIntervalMs);
}

void ChartFrameClock::tick()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_timelines.removeAll(nullptr);
    const qint64 now = WallClock::now().toMSecsSinceEpoch();
    const qint64 interval = frameIntervalMs();
    if (interval == std::numeric_limits<qint64>::max()) {
        m_timer.stop();
        return;
    }
    // Frames fall on whole multiples of the interval, so every chart is
    // measured from the same frame times whatever the timer's lateness.
    const qint64 frame = now - now % interval;
    for (const QPointer<ChartTimeline>& t : std::as_const(m_timelines)) {
        if (t->isDue(frame))
            t->requestFrame(frame);
    }
    schedule(now);
}

void ChartFrameClock::schedule(qint64 nowMs)
{
    const qint64 interval = frameIntervalMs();
    if (interval == std::numeric_limits<qint64>::max()) {
        m_timer.stop();
        return;
    }
    // A millisecond past the next frame time.
    const qint64 next = nowMs - nowMs % interval + interval;
    m_timer.start(int(std::clamp<qint64>(next - nowMs + 1, 1, 60'000)));
}

} // namespace gaugelet
