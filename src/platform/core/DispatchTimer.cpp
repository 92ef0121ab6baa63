#include "platform/core/DispatchTimer.h"

#include "platform/core/MediaClock.h"

#include <cerrno>
#include <cmath>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

namespace gaugelet {

namespace {

// The media clock (CLOCK_MONOTONIC), in nanoseconds; tests replace its source.
std::int64_t monotonicNs()
{
    return std::llround(MediaClock::now() * 1e9);
}

} // namespace

DispatchTimer::DispatchTimer(std::string label, std::chrono::nanoseconds interval, std::chrono::nanoseconds leeway,
                             std::function<void()> handler)
    : m_label(std::move(label)),
      m_interval(interval.count() > 0 ? interval : std::chrono::nanoseconds(1)),
      m_leeway(leeway),
      m_handler(std::move(handler))
{
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const std::int64_t firstDeadline = monotonicNs() + m_interval.count();
    m_thread = std::thread([this, firstDeadline] { loop(firstDeadline); });
}

DispatchTimer::~DispatchTimer()
{
    cancel();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void DispatchTimer::wake()
{
    const uint64_t one = 1;
    if (m_wakeFd >= 0) {
        [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void DispatchTimer::suspend()
{
    m_suspended.store(true);
    wake();
}

void DispatchTimer::resume()
{
    m_suspended.store(false);
    wake();
}

void DispatchTimer::cancel()
{
    m_cancelled.store(true);
    wake();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void DispatchTimer::loop(std::int64_t deadline)
{
    prctl(PR_SET_NAME, m_label.substr(0, 15).c_str(), 0, 0, 0);
    if (m_leeway.count() > 0)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(m_leeway.count()), 0, 0, 0);

    const std::int64_t interval = m_interval.count();

    while (!m_cancelled.load()) {
        pollfd fd{m_wakeFd, POLLIN, 0};
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (!m_suspended.load()) {
            const std::int64_t now = monotonicNs();
            if (now >= deadline) {
                // One event however many deadlines passed, then back on the grid.
                m_handler();
                const std::int64_t missed = (now - deadline) / interval + 1;
                deadline += missed * interval;
                continue;
            }
            const std::int64_t wait = deadline - now;
            timeout.tv_sec = wait / 1'000'000'000;
            timeout.tv_nsec = wait % 1'000'000'000;
            timeoutPtr = &timeout;
        }
        const int rc = ppoll(&fd, 1, timeoutPtr, nullptr);
        if (rc > 0 && (fd.revents & POLLIN)) {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t n = ::read(m_wakeFd, &value, sizeof value);
        } else if (rc < 0 && errno != EINTR) {
            break;
        }
    }
}

} // namespace gaugelet
