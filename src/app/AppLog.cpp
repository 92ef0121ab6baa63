#include "app/AppLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(appUpdaterLog, "app-updater")
} // namespace gaugelet
