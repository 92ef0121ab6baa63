#include "update/UserDefaultsCache.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

UserDefaultsCache::UserDefaultsCache(Defaults* defaults) : defaults(defaults) {}

std::optional<QByteArray> UserDefaultsCache::lastResponse() const
{
    return defaults ? defaults->data(SettingsSchema::killSwitchLastResponse) : std::nullopt;
}

void UserDefaultsCache::setLastResponse(const std::optional<QByteArray>& body)
{
    if (!defaults)
        return;
    if (body)
        SettingsSchema::write(SettingsSchema::killSwitchLastResponse, QVariant(*body), *defaults);
    else
        defaults->remove(SettingsSchema::killSwitchLastResponse);
}

std::optional<QDateTime> UserDefaultsCache::lastFetchAt() const
{
    return defaults ? defaults->date(SettingsSchema::killSwitchLastFetchAt) : std::nullopt;
}

void UserDefaultsCache::setLastFetchAt(const std::optional<QDateTime>& at)
{
    if (!defaults)
        return;
    if (at)
        SettingsSchema::write(SettingsSchema::killSwitchLastFetchAt, QVariant(*at), *defaults);
    else
        defaults->remove(SettingsSchema::killSwitchLastFetchAt);
}

} // namespace gaugelet
