#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcDefaults);
GAUGELET_DECLARE_LOG(lcPlatform);
} // namespace gaugelet
