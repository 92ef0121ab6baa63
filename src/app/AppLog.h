#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
// "dev.gaugelet.app-updater": the delegate's lines about forced updates.
GAUGELET_DECLARE_LOG(appUpdaterLog)
// "dev.gaugelet.app": the delegate's lines about what the user is shown.
GAUGELET_DECLARE_LOG(appLog)
} // namespace gaugelet
