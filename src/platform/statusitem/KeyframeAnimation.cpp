#include "platform/statusitem/KeyframeAnimation.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

int KeyframeAnimation::frameIndexAt(double elapsed) const
{
    const auto count = values.size();
    if (count == 0 || !std::isfinite(elapsed) || elapsed < 0 || !(duration > 0) || !std::isfinite(duration))
        return -1;
    double cycles = elapsed / duration;
    const double repeats = repeatCount > 0 ? repeatCount : 1.0;
    if (std::isfinite(repeats) && cycles >= repeats) {
        if (removedOnCompletion)
            return -1;
        return int(count - 1); // holds the last value
    }
    const double phase = cycles - std::floor(cycles);
    const auto index = qsizetype(std::floor(phase * double(count)));
    return int(std::clamp<qsizetype>(index, 0, count - 1));
}

} // namespace gaugelet
