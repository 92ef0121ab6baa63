#include "stats/StatLabelPosition.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

StatLabelPosition storedStatLabelPosition(const Defaults& defaults)
{
    return rawValuesOf<StatLabelPosition>.fromRawOr(defaults.string(SettingsSchema::statLabelPosition),
                                                    StatLabelPosition::trailing);
}

} // namespace gaugelet
