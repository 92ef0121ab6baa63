#include "alarms/AlarmsLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcAlarms, "alarms")
} // namespace gaugelet
