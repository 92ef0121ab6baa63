#pragma once

#include "stats/CPUCoreKind.h"

namespace gaugelet {

// One processor in one interval: its busy fraction (0 to 1) and its kind.
struct CPUCoreSample {
    double value = 0;
    CPUCoreKind kind = CPUCoreKind::performance;

    bool operator==(const CPUCoreSample&) const = default;
};

} // namespace gaugelet
