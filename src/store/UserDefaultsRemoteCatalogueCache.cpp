#include "store/UserDefaultsRemoteCatalogueCache.h"

#include "platform/core/Defaults.h"

namespace gaugelet {

UserDefaultsRemoteCatalogueCache::UserDefaultsRemoteCatalogueCache(Defaults* defaults) : m_defaults(defaults) {}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueData() const
{
    return m_defaults ? m_defaults->data(dataKey) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setCatalogueData(const std::optional<QByteArray>& data)
{
    if (!m_defaults)
        return;
    if (data)
        m_defaults->set(dataKey, *data);
    else
        m_defaults->remove(dataKey);
}

std::optional<QByteArray> UserDefaultsRemoteCatalogueCache::catalogueSignature() const
{
    return m_defaults ? m_defaults->data(signatureKey) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setCatalogueSignature(const std::optional<QByteArray>& signature)
{
    if (!m_defaults)
        return;
    if (signature)
        m_defaults->set(signatureKey, *signature);
    else
        m_defaults->remove(signatureKey);
}

std::optional<QDateTime> UserDefaultsRemoteCatalogueCache::lastFetchAt() const
{
    return m_defaults ? m_defaults->date(lastFetchAtKey) : std::nullopt;
}

void UserDefaultsRemoteCatalogueCache::setLastFetchAt(const std::optional<QDateTime>& date)
{
    if (!m_defaults)
        return;
    if (date)
        m_defaults->set(lastFetchAtKey, *date);
    else
        m_defaults->remove(lastFetchAtKey);
}

void UserDefaultsRemoteCatalogueCache::clear()
{
    if (!m_defaults)
        return;
    m_defaults->remove(dataKey);
    m_defaults->remove(signatureKey);
    m_defaults->remove(lastFetchAtKey);
}

} // namespace gaugelet
