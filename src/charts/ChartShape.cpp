#include "charts/ChartShape.h"

#include <QPainter>

namespace gaugelet {

ChartShape ChartShape::filled(QPainterPath path, QColor colour)
{
    path.setFillRule(Qt::WindingFill);
    ChartShape s;
    s.kind = Kind::fill;
    s.path = std::move(path);
    s.colour = colour;
    return s;
}

ChartShape ChartShape::stroked(QPainterPath path, QColor colour, qreal width, Qt::PenCapStyle cap,
                               Qt::PenJoinStyle join)
{
    ChartShape s;
    s.kind = Kind::stroke;
    s.path = std::move(path);
    s.colour = colour;
    s.lineWidth = width;
    s.cap = cap;
    s.join = join;
    return s;
}

void ChartShape::paint(QPainter& painter, const QList<ChartShape>& shapes)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const ChartShape& s : shapes) {
        if (s.kind == Kind::fill) {
            painter.fillPath(s.path, s.colour);
        } else {
            QPen pen(s.colour, s.lineWidth, Qt::SolidLine, s.cap, s.join);
            pen.setMiterLimit(10);
            painter.strokePath(s.path, pen);
        }
    }
    painter.restore();
}

} // namespace gaugelet
