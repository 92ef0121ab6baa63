#pragma once

#include "stats/Series.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <any>

namespace gaugelet {

// One sample of one provider. A plain value; it has no equality.
struct StatSnapshot {
    QString providerId;   // set by the registry
    QString badgeText;    // set by the registry
    double value = 0;     // normalised load: 0.8 is 80 %
    QString label;        // ready-made display text of the value
    QList<Series> breakdown;
    QDateTime asOf;       // wall-clock time the provider built it
    QHash<QString, std::any> extras; // one provider record, e.g. "cpu.snapshot"
    // The provider's first reading after a start or a reset: it had no
    // interval to measure yet, so its value is a stand-in (CPU and network
    // read 0). Shown and recorded like any other; alarms skip it.
    bool isFirstReading = false;

    // The extras record under key when it has type T, else nullptr.
    template <typename T>
    const T* extra(const QString& key) const
    {
        auto it = extras.constFind(key);
        if (it == extras.cend())
            return nullptr;
        return std::any_cast<T>(&*it);
    }
};

} // namespace gaugelet
