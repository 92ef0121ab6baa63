#include "update/UserDefaultsCache.h"

#include "platform/core/Defaults.h"
#include "schema/CachedSettingValue.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

UserDefaultsCache::UserDefaultsCache(Defaults* defaults) : defaults(defaults) {}

std::optional<QByteArray> UserDefaultsCache::lastResponse() const
{
    return CachedSettingValue::data(defaults, SettingsSchema::killSwitchLastResponse);
}

void UserDefaultsCache::setLastResponse(const std::optional<QByteArray>& body)
{
    CachedSettingValue::write(defaults, SettingsSchema::killSwitchLastResponse, body);
}

std::optional<QDateTime> UserDefaultsCache::lastFetchAt() const
{
    return CachedSettingValue::date(defaults, SettingsSchema::killSwitchLastFetchAt);
}

void UserDefaultsCache::setLastFetchAt(const std::optional<QDateTime>& at)
{
    CachedSettingValue::write(defaults, SettingsSchema::killSwitchLastFetchAt, at);
}

} // namespace gaugelet
