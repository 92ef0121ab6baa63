#pragma once

#include <functional>

namespace gaugelet {

// Seconds since boot on the monotonic clock (CLOCK_MONOTONIC), as a double:
// the program's media time. Refresh intervals, sample times and alarm timing
// use it; a wall-clock step never moves it.
class MediaClock {
public:
    static double now();

    // Test seam: replaces the source for the whole process; an empty function
    // restores the real clock.
    static void setSourceForTesting(std::function<double()> source);
};

} // namespace gaugelet
