#include "stats/StatHistoryStore.h"

#include "platform/core/MainThread.h"

namespace gaugelet {

StatHistoryStore::StatHistoryStore(QObject* parent) : QObject(parent) {}

ProviderHistorySlice* StatHistoryStore::slice(const QString& providerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto it = m_slices.constFind(providerId);
    if (it != m_slices.cend())
        return *it;
    auto* created = new ProviderHistorySlice(providerId, m_capacity, this);
    m_slices.insert(providerId, created);
    Q_EMIT slicesChanged();
    return created;
}

void StatHistoryStore::record(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (snapshot.providerId.isEmpty())
        return;
    ProviderHistorySlice* ring = slice(snapshot.providerId);
    ring->append(HistorySample{snapshot.asOf, snapshot.value, snapshot.breakdown});
    for (auto it = snapshot.extras.cbegin(); it != snapshot.extras.cend(); ++it)
        ring->setExtra(it.key(), it.value());
}

} // namespace gaugelet
