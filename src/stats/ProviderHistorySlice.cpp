#include "stats/ProviderHistorySlice.h"

#include "platform/core/MainThread.h"

#include <algorithm>

namespace gaugelet {

ProviderHistorySlice::ProviderHistorySlice(const QString& providerId, int capacity, QObject* parent)
    : QObject(parent), m_providerId(providerId), m_capacity(std::max(1, capacity)), m_buffer(size_t(m_capacity))
{
}

void ProviderHistorySlice::append(const HistorySample& sample)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_buffer[size_t(m_head)] = sample;
    m_head = (m_head + 1) % m_capacity;
    if (m_count < m_capacity)
        ++m_count;
    m_cachedSamples.reset();
    Q_EMIT appended();
}

const QList<HistorySample>& ProviderHistorySlice::samples() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_cachedSamples)
        return *m_cachedSamples;
    QList<HistorySample> list;
    if (m_count >= 1) {
        list.reserve(m_count);
        const int start = (m_head - m_count + m_capacity) % m_capacity;
        for (int i = 0; i < m_count; ++i) {
            const auto& slot = m_buffer[size_t((start + i) % m_capacity)];
            if (slot)
                list.append(*slot);
        }
    }
    m_cachedSamples = std::move(list);
    return *m_cachedSamples;
}

void ProviderHistorySlice::setExtra(const QString& key, const std::any& value)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_extras.insert(key, value);
    Q_EMIT extrasChanged();
}

} // namespace gaugelet
