#include "app/AppLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(appUpdaterLog, "app-updater")
GAUGELET_DEFINE_LOG(appLog, "app")
} // namespace gaugelet
