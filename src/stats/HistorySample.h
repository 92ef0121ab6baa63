#pragma once

#include "stats/Series.h"

#include <QDateTime>
#include <QList>

namespace gaugelet {

// One point of a provider's history: the snapshot's asOf, value and breakdown.
struct HistorySample {
    QDateTime t;
    double value = 0;
    QList<Series> breakdown;

    // Identity: t as seconds since 2001-01-01 00:00:00 UTC.
    double id() const;
};

} // namespace gaugelet
