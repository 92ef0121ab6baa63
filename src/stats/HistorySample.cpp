#include "stats/HistorySample.h"

#include <QTimeZone>

namespace gaugelet {

double HistorySample::id() const
{
    // 978307200 = seconds from the Unix epoch to 2001-01-01 00:00:00 UTC.
    return double(t.toMSecsSinceEpoch()) / 1000.0 - 978307200.0;
}

} // namespace gaugelet
