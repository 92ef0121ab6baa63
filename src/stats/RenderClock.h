#pragma once

#include <QObject>
#include <memory>

namespace gaugelet {

class DispatchTimer;

// The program's only periodic timer. A timer on its own thread fires hz times
// a second; each event hops to the main thread and, while running and not
// suspended, increments the published tick.
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
    void onTimerEvent();

    int m_tick = 0;
    std::unique_ptr<DispatchTimer> m_timer;
    int m_hz = 30;
    bool m_running = false;
    bool m_suspended = false;
    int m_timersCreated = 0;
};

} // namespace gaugelet
