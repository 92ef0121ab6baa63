#pragma once

#include "stats/HistorySample.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <any>
#include <optional>
#include <vector>

namespace gaugelet {

// The ring of one provider's last `capacity` samples. appended() is the
// observed change that redraws the views that read samples().
class ProviderHistorySlice : public QObject {
    Q_OBJECT
public:
    ProviderHistorySlice(const QString& providerId, int capacity, QObject* parent = nullptr);

    const QString& providerId() const { return m_providerId; }
    int capacity() const { return m_capacity; }
    int head() const { return m_head; }
    int count() const { return m_count; }

    void append(const HistorySample& sample);
    // The filled slots, oldest first; built at most once per append.
    const QList<HistorySample>& samples() const;

    const QHash<QString, std::any>& extras() const { return m_extras; }
    void setExtra(const QString& key, const std::any& value);

Q_SIGNALS:
    void appended();
    void extrasChanged();

private:
    QString m_providerId;
    int m_capacity;
    std::vector<std::optional<HistorySample>> m_buffer;
    int m_head = 0;
    int m_count = 0;
    mutable std::optional<QList<HistorySample>> m_cachedSamples;
    QHash<QString, std::any> m_extras;
};

} // namespace gaugelet
