#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace gaugelet {

// A repeating timer on a thread of its own, like a dispatch timer source: the
// first deadline is one interval after construction, later ones keep the grid;
// the leeway becomes the thread's timer slack (PR_SET_TIMERSLACK), so the
// kernel may coalesce wake-ups. The handler runs on the timer thread.
// Suspending stops delivery; resuming after one or more deadlines passed fires
// once at once, then keeps the grid. Destruction cancels and joins. Time is
// the media clock's (MediaClock), so a test that sets its source moves the
// timer; suspend() and resume() wake the thread to read the clock again.
class DispatchTimer {
public:
    DispatchTimer(std::string label, std::chrono::nanoseconds interval, std::chrono::nanoseconds leeway,
                  std::function<void()> handler);
    ~DispatchTimer();

    DispatchTimer(const DispatchTimer&) = delete;
    DispatchTimer& operator=(const DispatchTimer&) = delete;

    void suspend();
    void resume();
    // Stops the timer for good; the handler never runs again once this returns.
    void cancel();

private:
    void loop(std::int64_t firstDeadline);
    void wake();

    std::string m_label;
    std::chrono::nanoseconds m_interval;
    std::chrono::nanoseconds m_leeway;
    std::function<void()> m_handler;
    std::atomic<bool> m_suspended{false};
    std::atomic<bool> m_cancelled{false};
    int m_wakeFd = -1;
    std::thread m_thread;
};

} // namespace gaugelet
