#include "stats/ProviderEnablementStore.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

ProviderEnablementStore::ProviderEnablementStore(QObject* parent) : QObject(parent) {}

QString ProviderEnablementStore::enabledKey(const QString& providerId)
{
    return SettingsSchema::providerEnabled.key(providerId);
}

bool ProviderEnablementStore::isEnabled(const QString& providerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto it = m_cache.constFind(providerId);
    if (it != m_cache.cend())
        return *it;
    const bool answer = Defaults::standard()->boolean(enabledKey(providerId)).value_or(true);
    m_cache.insert(providerId, answer);
    Q_EMIT cacheChanged();
    return answer;
}

} // namespace gaugelet
