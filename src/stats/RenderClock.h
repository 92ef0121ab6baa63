#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>

namespace gaugelet {

// The program's only periodic timer: a main-thread timer that fires hz times a
// second on a fixed grid and, while running and not suspended, increments the
// published tick. Each deadline re-arms a single-shot coarse timer, so the
// main thread wakes once per tick and not at all while suspended; resuming
// after one or more deadlines passed ticks once at once, then keeps the grid.
class RenderClock : public QObject {
    Q_OBJECT
public:
    explicit RenderClock(QObject* parent = nullptr);
    ~RenderClock() override;

    int tick() const { return m_tick; }
    int hz() const { return m_hz; }
    bool isRunning() const { return m_running; }
    bool isSuspended() const { return m_suspended; }
    bool hasTimer() const { return m_timer != nullptr; }
    // How many timers this clock has created (a rate change costs one).
    int timersCreated() const { return m_timersCreated; }
    // The media time (MediaClock, seconds) the next tick is due at.
    double nextDeadline() const { return double(m_deadlineNs) / 1e9; }
    // The media time of the grid deadline the last tick stands for (the
    // latest one passed when it came late, the one due when it came a little
    // early): ticks of a steady rate are exactly one interval apart by it,
    // however their wake-ups wander.
    double tickTime() const { return double(m_tickTimeNs) / 1e9; }

    void start();
    // Stores a new rate (below 1 counts as 1) only when it differs; a running
    // clock then starts a new timer with it.
    void setHz(int hz);
    void suspend();
    void resume();

Q_SIGNALS:
    void objectWillChange();
    void tickChanged(int tick);

private:
    void startTimer();
    void cancelTimer();
    void armTimer();
    void onTimerEvent();

    int m_tick = 0;
    std::unique_ptr<QTimer> m_timer;
    int64_t m_intervalNs = 0;
    int64_t m_deadlineNs = 0; // the next grid deadline, monotonic
    int64_t m_tickTimeNs = 0; // the deadline the last tick stands for
    int m_hz = 30;
    bool m_running = false;
    bool m_suspended = false;
    int m_timersCreated = 0;
};

} // namespace gaugelet
