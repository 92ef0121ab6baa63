#pragma once

#include <QString>

namespace gaugelet {

struct Alarm;
class StatRegistry;

// One alarm in words, as the popover's firing section and the alarms pane's
// summary line both show it: the provider's display name (or its raw id when
// the registry has no such provider), " ≥ " or " ≤ ", the threshold in whole
// percent (halves away from zero, saturating) and "%". "CPU ≥ 80%".
QString alarmLine(const Alarm& alarm, const StatRegistry* registry);

} // namespace gaugelet
