#include "store/UserDefaultsRemoteCatalogueCache.h"

#include "platform/core/Defaults.h"
#include "schema/CachedSettingValue.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

UserDefaultsRemoteCatalogueCache::UserDefaultsRemoteCatalogueCache(Defaults* defaults) : m_defaults(defaults) {}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueData() const
{
    return CachedSettingValue::data(m_defaults, SettingsSchema::catalogueCache);
}

void UserDefaultsRemoteCatalogueCache::setCatalogueData(const std::optional<QByteArray>& data)
{
    CachedSettingValue::write(m_defaults, SettingsSchema::catalogueCache, data);
}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueSignature() const
{
    return CachedSettingValue::data(m_defaults, SettingsSchema::catalogueSignature);
}

void UserDefaultsRemoteCatalogueCache::setCatalogueSignature(const std::optional<QByteArray>& signature)
{
    CachedSettingValue::write(m_defaults, SettingsSchema::catalogueSignature, signature);
}

std::optional<QDateTime> UserDefaultsRemoteCatalogueCache::lastFetchAt() const
{
    return CachedSettingValue::date(m_defaults, SettingsSchema::catalogueLastFetchAt);
}

void UserDefaultsRemoteCatalogueCache::setLastFetchAt(const std::optional<QDateTime>& date)
{
    CachedSettingValue::write(m_defaults, SettingsSchema::catalogueLastFetchAt, date);
}

void UserDefaultsRemoteCatalogueCache::clear()
{
    for (const SettingKey& key :
         {SettingsSchema::catalogueCache, SettingsSchema::catalogueSignature, SettingsSchema::catalogueLastFetchAt})
        CachedSettingValue::write(m_defaults, key, std::nullopt);
}

} // namespace gaugelet
