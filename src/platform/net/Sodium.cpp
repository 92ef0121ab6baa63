#include "platform/net/Sodium.h"

#include <QtGlobal>
#include <sodium.h>

namespace gaugelet {

void Sodium::ensureInitialised()
{
    static const bool ready = [] {
        // sodium_init returns 1 when already initialised, -1 only when the
        // library cannot work at all (no randomness source).
        if (sodium_init() < 0)
            qFatal("libsodium could not be initialised");
        return true;
    }();
    Q_UNUSED(ready);
}

} // namespace gaugelet
