#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>

namespace gaugelet {

// Appends a smoothed curve through the points to a path whose current point
// is already set: nothing for no points, a straight line to a single point;
// otherwise, for each consecutive pair (p, q), a quadratic curve to their
// midpoint with p as control point, then a straight line to the last point.
void smoothPath(QPainterPath& path, const QList<QPointF>& points);

} // namespace gaugelet
