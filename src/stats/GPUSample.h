#pragma once

namespace gaugelet {

// GPU utilisation percentages, 0 to 100.
struct GPUSample {
    double utilization = 0;
    double device = 0;
    double renderer = 0;

    bool operator==(const GPUSample&) const = default;
};

} // namespace gaugelet
