#include "update/UpdateLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcKillSwitch, "killswitch")
GAUGELET_DEFINE_LOG(lcAppUpdater, "app-updater")
} // namespace gaugelet
