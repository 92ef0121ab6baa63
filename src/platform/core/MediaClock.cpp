#include "platform/core/MediaClock.h"

#include "platform/core/ClockSourceOverride.h"

#include <time.h>

namespace gaugelet {

namespace {

ClockSourceOverride<double> testSource;

} // namespace

double MediaClock::now()
{
    return testSource.now([] {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
    });
}

void MediaClock::setSourceForTesting(std::function<double()> source)
{
    testSource.set(std::move(source));
}

} // namespace gaugelet
