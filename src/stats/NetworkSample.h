#pragma once

#include "stats/NetworkExtras.h"

namespace gaugelet {

// One network reading: the fields of the extras record (rates in bytes per
// second and the primary interface), plus whether an interval was measured.
struct NetworkSample : NetworkExtras {
    // No interval measured in this call (the first after a start, or the
    // primary interface changed): the rate of this call is a stand-in 0.
    bool isFirstReading = false;

    bool operator==(const NetworkSample&) const = default;
};

} // namespace gaugelet
