#include "charts/SmoothPath.h"

namespace gaugelet {

void smoothPath(QPainterPath& path, const QList<QPointF>& points)
{
    if (points.isEmpty())
        return;
    if (points.size() == 1) {
        path.lineTo(points.first());
        return;
    }
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const QPointF& p = points[i];
        const QPointF& q = points[i + 1];
        path.quadTo(p, (p + q) * 0.5);
    }
    path.lineTo(points.last());
}

} // namespace gaugelet
