#include "platform/core/MediaClock.h"

#include <atomic>
#include <mutex>
#include <time.h>

namespace gaugelet {

namespace {

std::mutex sourceMutex;
std::function<double()> testSource;
std::atomic<bool> hasTestSource{false};

} // namespace

double MediaClock::now()
{
    if (hasTestSource.load(std::memory_order_acquire)) {
        std::lock_guard lock(sourceMutex);
        if (testSource)
            return testSource();
    }
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void MediaClock::setSourceForTesting(std::function<double()> source)
{
    std::lock_guard lock(sourceMutex);
    testSource = std::move(source);
    hasTestSource.store(bool(testSource), std::memory_order_release);
}

} // namespace gaugelet
