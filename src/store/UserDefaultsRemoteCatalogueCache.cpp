#include "store/UserDefaultsRemoteCatalogueCache.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

UserDefaultsRemoteCatalogueCache::UserDefaultsRemoteCatalogueCache(Defaults* defaults) : m_defaults(defaults) {}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueData() const
{
    return m_defaults ? m_defaults->data(SettingsSchema::catalogueCache) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setCatalogueData(const std::optional<QByteArray>& data)
{
    if (!m_defaults)
        return;
    if (data)
        SettingsSchema::write(SettingsSchema::catalogueCache, *data, *m_defaults);
    else
        m_defaults->remove(SettingsSchema::catalogueCache);
}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueSignature() const
{
    return m_defaults ? m_defaults->data(SettingsSchema::catalogueSignature) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setCatalogueSignature(const std::optional<QByteArray>& signature)
{
    if (!m_defaults)
        return;
    if (signature)
        SettingsSchema::write(SettingsSchema::catalogueSignature, *signature, *m_defaults);
    else
        m_defaults->remove(SettingsSchema::catalogueSignature);
}

std::optional<QDateTime> UserDefaultsRemoteCatalogueCache::lastFetchAt() const
{
    return m_defaults ? m_defaults->date(SettingsSchema::catalogueLastFetchAt) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setLastFetchAt(const std::optional<QDateTime>& date)
{
    if (!m_defaults)
        return;
    if (date)
        SettingsSchema::write(SettingsSchema::catalogueLastFetchAt, *date, *m_defaults);
    else
        m_defaults->remove(SettingsSchema::catalogueLastFetchAt);
}

void UserDefaultsRemoteCatalogueCache::clear()
{
    if (!m_defaults)
        return;
    m_defaults->remove(SettingsSchema::catalogueCache);
    m_defaults->remove(SettingsSchema::catalogueSignature);
    m_defaults->remove(SettingsSchema::catalogueLastFetchAt);
}

} // namespace gaugelet
