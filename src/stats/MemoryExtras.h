#pragma once

#include "stats/MemoryPressureLevel.h"

#include <QString>
#include <cstdint>

namespace gaugelet {

// The memory snapshot's extras record, under "memory.snapshot", and the
// memory sampler's reading (`MemoryReading`): byte counts, the kernel's
// pressure verdict and the used percentage (0 to 100; smoothed once the
// sampler has averaged it).
struct MemoryExtras {
    static inline const QString key = QStringLiteral("memory.snapshot");

    uint64_t appBytes = 0;
    uint64_t wiredBytes = 0;
    uint64_t compressedBytes = 0;
    uint64_t cachedBytes = 0;
    uint64_t usedBytes = 0;
    uint64_t swapUsedBytes = 0;
    uint64_t totalBytes = 0;
    MemoryPressureLevel pressure = MemoryPressureLevel::normal;
    double usedPercent = 0;

    bool operator==(const MemoryExtras&) const = default;
};

} // namespace gaugelet
