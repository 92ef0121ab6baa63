#include "charts/PopupBars.h"

#include "charts/SmoothPath.h"
#include "stats/ChartMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {
// The bucket count, tint count and finite scale of an input; all zero when it
// draws nothing (no buckets, no tints or no positive scale).
struct Extent {
    qsizetype buckets = 0;
    qsizetype tints = 0;
    double yMax = 0;
};

Extent extentOf(const PopupBars::Input& input)
{
    const double yMax = ChartMath::finite(input.yMax);
    if (input.buckets.isEmpty() || input.tints.isEmpty() || !(yMax > 0))
        return {};
    return {input.buckets.size(), input.tints.size(), yMax};
}
} // namespace

PopupBars::PopupBars(QWidget* parent) : PopupTimeChart(Input().height, parent) { }

void PopupBars::setInput(Input input)
{
    m_input = std::move(input);
    inputChanged(m_input.height, m_input.window);
}

QList<ChartShape> PopupBars::shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                    std::optional<qreal> runTo)
{
    if (!input.flowing)
        return barShapes(input, size);
    return flowingShapes(input, size, input.times.isEmpty() ? std::nullopt : date, runTo);
}

QList<ChartShape> PopupBars::barShapes(const Input& input, QSizeF size)
{
    const auto [n, k, yMax] = extentOf(input);
    if (n == 0)
        return {};
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal slot = w / qreal(n);
    const qreal barWidth = std::max<qreal>(slot - 1, 1);
    const qreal scale = h / yMax;
    QList<QPainterPath> paths(k);
    QList<ChartShape> out;
    for (qsizetype i = 0; i < n; ++i) {
        const qreal x = slot * qreal(i);
        qreal top = h;
        const QList<double>& stack = input.buckets[i];
        for (qsizetype j = 0; j < stack.size(); ++j) {
            const double v = ChartMath::finite(stack[j]);
            if (!(v > 0))
                continue;
            const qreal height = scale * v;
            top -= height;
            paths[std::min(j, k - 1)].addRect(QRectF(x, top, barWidth, height));
        }
    }
    for (qsizetype t = 0; t < k; ++t) {
        if (!paths[t].isEmpty())
            out.append(ChartShape::filled(paths[t], input.tints[t]));
    }
    return out;
}

QList<ChartShape> PopupBars::flowingShapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                           std::optional<qreal> runTo)
{
    const auto [n, k, yMax] = extentOf(input);
    if (n == 0)
        return {};
    qsizetype m = 0;
    for (const QList<double>& b : input.buckets)
        m = std::max(m, b.size());
    if (m < 1)
        return {};
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal scale = h / yMax;
    bool timePlaced = false;
    const QList<qreal> xs = ChartMath::placeX(n, w, input.times, input.window, date, &timePlaced);
    const qreal runsTo = runTo.value_or(w);
    QList<ChartShape> out;

    // Running sums per bucket, carried from one layer to the next.
    QList<double> below(n, 0.0);
    QList<QPointF> top(n), bottom(n);
    for (qsizetype layer = 0; layer < m; ++layer) {
        bool thick = false;
        for (qsizetype i = 0; i < n; ++i) {
            const QList<double>& stack = input.buckets[i];
            const qsizetype c = stack.size();
            qreal topY = h;
            qreal bottomY = h;
            if (c > 0) {
                const double lower = below[i];
                double upper = lower;
                if (layer < c)
                    upper += std::max(ChartMath::finite(stack[layer]), 0.0);
                bottomY = layer == 0 ? h : h - scale * std::min(yMax, lower);
                topY = h - scale * std::min(yMax, upper);
                below[i] = upper;
            }
            top[i] = QPointF(xs[i], topY);
            bottom[i] = QPointF(xs[i], bottomY);
            if (bottomY - topY > 0.01)
                thick = true;
        }
        if (!thick)
            continue;
        QList<QPointF> topLine = top;
        QList<QPointF> bottomLine = bottom;
        if (timePlaced && topLine.last().x() < runsTo) {
            topLine.append(QPointF(runsTo, topLine.last().y()));
            bottomLine.append(QPointF(runsTo, bottomLine.last().y()));
        }
        const QColor tint = input.tints[std::min(layer, k - 1)];
        QPainterPath area(topLine.first());
        smoothPath(area, topLine);
        area.lineTo(bottomLine.last());
        std::reverse(bottomLine.begin(), bottomLine.end());
        smoothPath(area, bottomLine);
        area.closeSubpath();
        out.append(ChartShape::filled(area, tint));
        QPainterPath edge(topLine.first());
        smoothPath(edge, topLine);
        out.append(ChartShape::stroked(edge, tint, 1.0, Qt::FlatCap, Qt::RoundJoin));
    }
    return out;
}

} // namespace gaugelet
