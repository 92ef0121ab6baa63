#include "popover/TwoColumnMode.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

TwoColumnMode storedTwoColumnMode(const Defaults& defaults)
{
    return rawValuesOf<TwoColumnMode>.fromRawOr(defaults.string(SettingsSchema::popupTwoColumn),
                                                TwoColumnMode::automatic);
}

} // namespace gaugelet
