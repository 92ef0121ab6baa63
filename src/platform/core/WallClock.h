#pragma once

#include <QDateTime>
#include <functional>

namespace gaugelet {

// The wall clock, in UTC; injectable for tests.
class WallClock {
public:
    static QDateTime now();

    // Test seam: replaces the source for the whole process; an empty function
    // restores the real clock.
    static void setSourceForTesting(std::function<QDateTime()> source);
};

} // namespace gaugelet
