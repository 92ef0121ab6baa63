#pragma once

#include "stats/CPUExtras.h"

namespace gaugelet {

// One CPU reading: the percentages and per-processor values of the extras
// record, plus whether an interval was measured at all.
struct CPUSample : CPUExtras {
    // No interval measured yet (first reading, or the processors changed).
    bool isFirstReading = false;

    bool operator==(const CPUSample&) const = default;
};

} // namespace gaugelet
