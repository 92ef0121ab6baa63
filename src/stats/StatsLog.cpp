#include "stats/StatsLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcStats, "stats")
GAUGELET_DEFINE_LOG(lcRenderClock, "renderclock")
} // namespace gaugelet
