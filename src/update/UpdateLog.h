#pragma once

#include "platform/core/Log.h"

#include <QString>

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcKillSwitch);
GAUGELET_DECLARE_LOG(lcAppUpdater);

// Text from a remote document, a feed or a URL, made safe for one log line:
// control characters (line breaks included) become '?'.
QString logPrintable(QString text);
} // namespace gaugelet
