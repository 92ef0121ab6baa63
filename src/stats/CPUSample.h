#pragma once

#include "stats/CPUCoreSample.h"

#include <QList>

namespace gaugelet {

// Percentages (0 to 100) of all processors' ticks in one interval; user
// includes nice. perCore follows the kernel's processor order.
struct CPUSample {
    double user = 0;
    double system = 0;
    double idle = 0;
    QList<CPUCoreSample> perCore;
    // No interval measured yet (first reading, or the processors changed).
    bool isFirstReading = false;

    bool operator==(const CPUSample&) const = default;
};

} // namespace gaugelet
