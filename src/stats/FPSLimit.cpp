#include "stats/FPSLimit.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

int FPSLimit::current()
{
    // The one integer read of the key, shared with the menu-bar controller.
    const qint64 stored = SettingsSchema::integer(SettingsSchema::fpsLimit);
    if (stored == 10)
        return 0;
    if (stored == 20)
        return 2;
    return 1;
}

} // namespace gaugelet
