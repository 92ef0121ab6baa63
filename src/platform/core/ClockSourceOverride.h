#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace gaugelet {

// A process-wide test seam for a clock: while a source is set, `now(real)`
// returns the source's value instead of `real()`. The usual path (no source)
// is one atomic load; setting and reading the source take a lock, so a test
// may swap it while other threads read the clock.
template <typename T>
class ClockSourceOverride {
public:
    template <typename Real>
    T now(Real&& real)
    {
        if (m_hasSource.load(std::memory_order_acquire)) {
            std::lock_guard lock(m_mutex);
            if (m_source)
                return m_source();
        }
        return real();
    }

    // An empty function restores the real clock.
    void set(std::function<T()> source)
    {
        std::lock_guard lock(m_mutex);
        m_source = std::move(source);
        m_hasSource.store(bool(m_source), std::memory_order_release);
    }

private:
    std::mutex m_mutex;
    std::function<T()> m_source;
    std::atomic<bool> m_hasSource{false};
};

} // namespace gaugelet
