#include "stats/ChartMath.h"

#include <cmath>
#include <limits>

namespace gaugelet {

double ChartMath::finite(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

qint64 ChartMath::saturatingRound(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value); // halves away from zero
    // 2^63 is exactly representable; anything at or past it saturates.
    if (rounded >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (rounded < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
}

QList<qreal> ChartMath::placeX(qsizetype count, qreal w, const QList<QDateTime>& times, double window,
                               const std::optional<QDateTime>& date, bool* timePlaced)
{
    QList<qreal> xs;
    xs.reserve(count);
    bool byTime = date.has_value() && date->isValid() && times.size() == count && std::isfinite(window)
        && window > 0 && count > 0;
    if (byTime) {
        for (const QDateTime& t : times) {
            if (!t.isValid()) {
                byTime = false;
                break;
            }
        }
    }
    if (timePlaced)
        *timePlaced = byTime;
    if (byTime) {
        const qreal perSecond = w / window;
        const qint64 dateMs = date->toMSecsSinceEpoch();
        for (const QDateTime& t : times) {
            const double age = double(dateMs - t.toMSecsSinceEpoch()) / 1000.0;
            xs.append(w - age * perSecond);
        }
        return xs;
    }
    for (qsizetype i = 0; i < count; ++i)
        xs.append(count == 1 ? 0.0 : qreal(i) * w / qreal(count - 1));
    return xs;
}

} // namespace gaugelet
