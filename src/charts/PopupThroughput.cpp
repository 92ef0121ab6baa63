#include "charts/PopupThroughput.h"

#include "charts/SmoothPath.h"
#include "stats/ChartMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

PopupThroughput::PopupThroughput(QWidget* parent) : PopupTimeChart(Input().height, parent) { }

void PopupThroughput::setInput(Input input)
{
    m_input = std::move(input);
    inputChanged(m_input.height, m_input.window);
}

bool PopupThroughput::drawsSomething() const
{
    return ChartMath::finite(m_input.yMagnitude) > 0 && !(m_input.up.isEmpty() && m_input.down.isEmpty());
}

QList<ChartShape> PopupThroughput::shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                          std::optional<qreal> runTo)
{
    if (!(ChartMath::finite(input.yMagnitude) > 0))
        return {};
    const std::optional<QDateTime> when = input.times.isEmpty() ? std::nullopt : date;
    QList<ChartShape> out = seriesShapes(input.down, input.downTint, input, size, when, runTo);
    out += seriesShapes(input.up, input.upTint, input, size, when, runTo);
    return out;
}

QList<ChartShape> PopupThroughput::seriesShapes(const QList<double>& values, const QColor& tint, const Input& input,
                                                QSizeF size, const std::optional<QDateTime>& date,
                                                std::optional<qreal> runTo)
{
    const qsizetype n = values.size();
    const double magnitude = ChartMath::finite(input.yMagnitude);
    if (n == 0 || !(magnitude > 0))
        return {};
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal scale = h / magnitude;
    bool timePlaced = false;
    const QList<qreal> xs = ChartMath::placeX(n, w, input.times, input.window, date, &timePlaced);
    QList<QPointF> points;
    points.reserve(n + 1);
    for (qsizetype i = 0; i < n; ++i) {
        const double v = std::clamp(ChartMath::finite(values[i]), 0.0, magnitude);
        points.append(QPointF(xs[i], h - scale * v));
    }
    const qreal edge = runTo.value_or(w);
    if (timePlaced && points.last().x() < edge)
        points.append(QPointF(edge, points.last().y()));

    QPainterPath line;
    QPainterPath area;
    if (points.size() == 1) {
        const qreal y = points.first().y();
        line.moveTo(0, y);
        line.lineTo(w, y);
        area.addRect(QRectF(0, y, w, h - y));
    } else {
        line.moveTo(points.first());
        smoothPath(line, points);
        area = line;
        area.lineTo(points.last().x(), h);
        area.lineTo(points.first().x(), h);
        area.closeSubpath();
    }
    QColor faded = tint;
    faded.setAlphaF(tint.alphaF() * 0.15);
    return {ChartShape::filled(area, faded), ChartShape::stroked(line, tint, 1.2, Qt::FlatCap, Qt::RoundJoin)};
}

} // namespace gaugelet
