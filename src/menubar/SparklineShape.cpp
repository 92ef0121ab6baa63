#include "menubar/SparklineShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gaugelet {

QPainterPath SparklineShape::path(const QRectF& rect) const
{
    QPainterPath path;
    const qsizetype n = points.size();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    for (double p : points) {
        if (std::isfinite(p)) {
            lo = std::min(lo, p);
            hi = std::max(hi, p);
        }
    }
    if (n < 2 || !std::isfinite(lo)) {
        path.moveTo(rect.left(), rect.center().y());
        path.lineTo(rect.right(), rect.center().y());
        return path;
    }
    double range = hi - lo;
    if (!(range > 0.0001))
        range = 0.0001;
    const double step = rect.width() / double(n - 1);
    bool penDown = false;
    for (qsizetype i = 0; i < n; ++i) {
        const double p = points[i];
        if (!std::isfinite(p)) {
            penDown = false;
            continue;
        }
        const QPointF at(rect.left() + step * double(i), rect.bottom() - ((p - lo) / range) * rect.height());
        if (penDown)
            path.lineTo(at);
        else
            path.moveTo(at);
        penDown = true;
    }
    return path;
}

} // namespace gaugelet
