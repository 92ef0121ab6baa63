#include "update/UserDefaultsCache.h"

#include "platform/core/Defaults.h"

namespace gaugelet {

UserDefaultsCache::UserDefaultsCache(Defaults* defaults) : defaults(defaults) {}

std::optional<QByteArray> UserDefaultsCache::lastResponse() const
{
    return defaults ? defaults->data(lastResponseKey) : std::nullopt;
}

void UserDefaultsCache::setLastResponse(const std::optional<QByteArray>& body)
{
    if (!defaults)
        return;
    if (body)
        defaults->set(lastResponseKey, QVariant(*body));
    else
        defaults->remove(lastResponseKey);
}

std::optional<QDateTime> UserDefaultsCache::lastFetchAt() const
{
    return defaults ? defaults->date(lastFetchAtKey) : std::nullopt;
}

void UserDefaultsCache::setLastFetchAt(const std::optional<QDateTime>& at)
{
    if (!defaults)
        return;
    if (at)
        defaults->set(lastFetchAtKey, QVariant(*at));
    else
        defaults->remove(lastFetchAtKey);
}

} // namespace gaugelet
