#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>

class QPainter;

namespace gaugelet {

// One drawing step of a chart: a path filled (non-zero winding, antialiased)
// or stroked with a colour. Charts build their frame as a list of shapes, so
// their geometry can be checked without pixels, then paint the list in order.
struct ChartShape {
    enum class Kind { fill, stroke };

    Kind kind = Kind::fill;
    QPainterPath path;
    QColor colour;
    qreal lineWidth = 1.0;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;

    static ChartShape filled(QPainterPath path, QColor colour);
    static ChartShape stroked(QPainterPath path, QColor colour, qreal width, Qt::PenCapStyle cap,
                              Qt::PenJoinStyle join);

    // Paints the shapes in order, antialiased.
    static void paint(QPainter& painter, const QList<ChartShape>& shapes);
};

} // namespace gaugelet
