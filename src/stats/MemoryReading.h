#pragma once

#include "stats/MemoryExtras.h"

namespace gaugelet {

// One memory reading: a used percentage (0 to 100) and byte counts. The
// reading and the snapshot's extras record hold the same figures, so they are
// one record; the sampler hands out its smoothed percentage in `usedPercent`.
using MemoryReading = MemoryExtras;

} // namespace gaugelet
