#pragma once

#include "charts/ChartShape.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace gaugelet::test {

// Paints shapes onto a transparent image of the given size (1×).
inline QImage render(const QList<ChartShape>& shapes, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    ChartShape::paint(p, shapes);
    p.end();
    return image;
}

// Every coordinate of every path is a finite number.
inline bool allFinite(const QList<ChartShape>& shapes)
{
    for (const ChartShape& s : shapes) {
        for (int i = 0; i < s.path.elementCount(); ++i) {
            const auto e = s.path.elementAt(i);
            if (!std::isfinite(e.x) || !std::isfinite(e.y))
                return false;
        }
    }
    return true;
}

// The rectangles of a path made of addRect calls (each five elements).
inline QList<QRectF> rects(const QPainterPath& path)
{
    QList<QRectF> out;
    for (const QPolygonF& poly : path.toSubpathPolygons())
        out.append(poly.boundingRect());
    return out;
}

} // namespace gaugelet::test
