#pragma once

#include <QDateTime>
#include <QList>
#include <QtGlobal>
#include <optional>

namespace gaugelet {

// The arithmetic every chart shares: values that may be NaN or infinite (a
// restored backup, a sampler glitch) draw as 0, percentages round with
// saturation, and samples are placed in time or by index.
class ChartMath {
public:
    // The value when finite, else 0.
    static double finite(double value);
    // Nearest integer, halves away from zero; NaN gives 0, and values past
    // the integer range saturate.
    static qint64 saturatingRound(double value);
    // The x of every sample on a canvas w wide. Time placement when a date is
    // given, every time is valid, there is one time per sample and window > 0:
    // x = w − (date − t) × w / window (a sample window seconds old at 0, one
    // taken at the date at w). Otherwise index placement: i × w / (n − 1),
    // and 0 for a single sample.
    static QList<qreal> placeX(qsizetype count, qreal w, const QList<QDateTime>& times, double window,
                               const std::optional<QDateTime>& date, bool* timePlaced = nullptr);
};

} // namespace gaugelet
