#include "platform/statusitem/StatusItemLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcStatusItem, "statusitem")
} // namespace gaugelet
