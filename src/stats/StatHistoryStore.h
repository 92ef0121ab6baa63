#pragma once

#include "stats/ProviderHistorySlice.h"
#include "stats/StatSnapshot.h"

#include <QHash>
#include <QObject>

namespace gaugelet {

// The history of every provider: one ring of 60 samples per provider id.
class StatHistoryStore : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultCapacity = 60;

    explicit StatHistoryStore(QObject* parent = nullptr);

    int capacity() const { return m_capacity; }
    // The provider's ring, created empty on first use.
    ProviderHistorySlice* slice(const QString& providerId);
    // Appends the snapshot to its provider's ring and merges its extras; a
    // snapshot without a provider id is ignored.
    void record(const StatSnapshot& snapshot);
    const QHash<QString, ProviderHistorySlice*>& slices() const { return m_slices; }

Q_SIGNALS:
    void slicesChanged();

private:
    QHash<QString, ProviderHistorySlice*> m_slices;
    const int m_capacity = defaultCapacity;
};

} // namespace gaugelet
