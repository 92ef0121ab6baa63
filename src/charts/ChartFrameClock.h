#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace gaugelet {

class ChartTimeline;

// The one timer behind every time-placed chart. It runs only while at least
// one chart's picture moves, at the pace of the fastest: a frame each time it
// has slid another device pixel, never more than 30 frames a second. On each
// frame it asks for a repaint of exactly the charts whose picture has moved
// by a device pixel since it was last shown; charts that slide at about the
// same speed step together and are repainted in one pass.
class ChartFrameClock : public QObject {
    Q_OBJECT
public:
    // At least 1/30 s between frames (33.3 ms), so never above 30 fps.
    static constexpr int minimumIntervalMs = 34;

    static ChartFrameClock* instance();

    void add(ChartTimeline* timeline);
    void remove(ChartTimeline* timeline);
    bool isActive() const { return m_timer.isActive(); }
    qsizetype timelineCount() const { return m_timelines.size(); }

    // One frame at the wall clock's current time (the timer's action), then
    // the next frame is scheduled. Public so tests drive it with their clock.
    void tick();

    // The time between frames: the time the fastest chart takes to slide a
    // device pixel, at least 1/30 s; the largest qint64 without a chart that
    // moves.
    qint64 frameIntervalMs() const;

private:
    ChartFrameClock();
    void schedule(qint64 nowMs);

    QList<QPointer<ChartTimeline>> m_timelines;
    QTimer m_timer;
};

} // namespace gaugelet
