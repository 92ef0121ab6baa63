#include "stats/Prefs.h"

#include "platform/core/Defaults.h"

namespace gaugelet {

double Prefs::doubleValue(const QString& key, double fallback)
{
    return Defaults::standard()->real(key).value_or(fallback);
}

bool Prefs::boolValue(const QString& key, bool fallback)
{
    Defaults* defaults = Defaults::standard();
    if (auto b = defaults->boolean(key))
        return *b;
    if (auto d = defaults->real(key))
        return *d != 0;
    return fallback;
}

} // namespace gaugelet
