#pragma once

#include "platform/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcStatusItem);
} // namespace gaugelet
