#pragma once

#include "platform/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcAlarms);
} // namespace gaugelet
