#pragma once

#include "platform/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcKillSwitch);
GAUGELET_DECLARE_LOG(lcAppUpdater);
} // namespace gaugelet
