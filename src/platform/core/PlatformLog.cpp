#include "platform/core/PlatformLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcDefaults, "defaults")
GAUGELET_DEFINE_LOG(lcPlatform, "platform")
} // namespace gaugelet
