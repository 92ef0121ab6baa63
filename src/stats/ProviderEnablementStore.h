#pragma once

#include <QHash>
#include <QObject>
#include <QString>

namespace gaugelet {

// Whether each provider is switched on ("provider.<id>.enabled", a Bool,
// true when absent or of another type). Answers are cached for the life of
// the store: a change in the defaults takes effect at the next launch.
class ProviderEnablementStore : public QObject {
    Q_OBJECT
public:
    explicit ProviderEnablementStore(QObject* parent = nullptr);

    bool isEnabled(const QString& providerId);
    const QHash<QString, bool>& cache() const { return m_cache; }

    static QString enabledKey(const QString& providerId);

Q_SIGNALS:
    void cacheChanged();

private:
    QHash<QString, bool> m_cache;
};

} // namespace gaugelet
