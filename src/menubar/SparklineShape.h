#pragma once

#include <QList>
#include <QPainterPath>
#include <QRectF>

namespace gaugelet {

// The line of a sparkline: the points spread evenly across a rectangle and
// scaled between their own minimum (bottom edge) and maximum (top edge).
struct SparklineShape {
    QList<double> points;

    // Fewer than two points: one horizontal segment through the middle. A
    // point that is not a finite number is left out (the line breaks there).
    QPainterPath path(const QRectF& rect) const;
};

} // namespace gaugelet
