#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcStatusItem);
} // namespace gaugelet
