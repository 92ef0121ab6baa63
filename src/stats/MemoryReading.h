#pragma once

#include "stats/MemoryPressureLevel.h"

#include <cstdint>

namespace gaugelet {

// One memory reading: a used percentage (0 to 100) and byte counts.
struct MemoryReading {
    double usedPercent = 0;
    uint64_t appBytes = 0;
    uint64_t wiredBytes = 0;
    uint64_t compressedBytes = 0;
    uint64_t cachedBytes = 0;
    uint64_t usedBytes = 0;
    uint64_t swapUsedBytes = 0;
    uint64_t totalBytes = 0;
    MemoryPressureLevel pressure = MemoryPressureLevel::normal;

    bool operator==(const MemoryReading&) const = default;
};

} // namespace gaugelet
