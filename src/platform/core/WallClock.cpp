#include "platform/core/WallClock.h"

#include <atomic>
#include <mutex>

namespace gaugelet {

namespace {

std::mutex sourceMutex;
std::function<QDateTime()> testSource;
std::atomic<bool> hasTestSource{false};

} // namespace

QDateTime WallClock::now()
{
    if (hasTestSource.load(std::memory_order_acquire)) {
        std::lock_guard lock(sourceMutex);
        if (testSource)
            return testSource();
    }
    return QDateTime::currentDateTimeUtc();
}

void WallClock::setSourceForTesting(std::function<QDateTime()> source)
{
    std::lock_guard lock(sourceMutex);
    testSource = std::move(source);
    hasTestSource.store(bool(testSource), std::memory_order_release);
}

} // namespace gaugelet
