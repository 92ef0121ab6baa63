#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
// "dev.gaugelet.app-updater": the delegate's lines about forced updates.
GAUGELET_DECLARE_LOG(appUpdaterLog)
} // namespace gaugelet
