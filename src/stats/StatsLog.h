#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcStats);
GAUGELET_DECLARE_LOG(lcRenderClock);
} // namespace gaugelet
