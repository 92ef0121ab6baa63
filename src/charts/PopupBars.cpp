#include "charts/PopupBars.h"

#include "charts/ChartTimeline.h"
#include "charts/SmoothPath.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"
#include "stats/ChartMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {
qreal fixedHeight(qreal h)
{
    return std::isfinite(h) && h > 0 ? h : 0;
}
} // namespace

PopupBars::PopupBars(QWidget* parent) : QWidget(parent), m_timeline(new ChartTimeline(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(std::ceil(fixedHeight(m_input.height))));
}

void PopupBars::setInput(Input input)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool heightChanged = input.height != m_input.height;
    m_input = std::move(input);
    m_strip.invalidate();
    if (heightChanged)
        setFixedHeight(int(std::ceil(fixedHeight(m_input.height))));
    m_timeline->setWindow(m_input.window);
    m_timeline->setWanted(pictureMoves());
    update();
}

bool PopupBars::pictureMoves() const
{
    // A history that draws nothing (every layer too thin) stays still.
    return drawsAgainstClock()
        && !flowingShapes(m_input, QSizeF(size()), std::optional<QDateTime>(WallClock::now())).isEmpty();
}

QSize PopupBars::sizeHint() const
{
    return {120, int(std::ceil(fixedHeight(m_input.height)))};
}

QSize PopupBars::minimumSizeHint() const
{
    return {1, int(std::ceil(fixedHeight(m_input.height)))};
}

void PopupBars::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    if (!drawsAgainstClock()) {
        ChartShape::paint(painter, shapes(m_input, QSizeF(size()), std::nullopt));
        return;
    }
    // Frames between inputs slide the picture drawn for the input.
    m_strip.paint(painter, QSizeF(size()), painter.device()->devicePixelRatioF(), m_input.window,
                  m_timeline->frameDate(), [this](QSizeF canvas, qreal runTo, const QDateTime& at) {
                      return flowingShapes(m_input, canvas, at, runTo);
                  });
}

void PopupBars::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_strip.release(); // drawn again when shown
}

QList<ChartShape> PopupBars::shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date)
{
    if (!input.flowing)
        return barShapes(input, size);
    return flowingShapes(input, size, input.times.isEmpty() ? std::nullopt : date);
}

QList<ChartShape> PopupBars::barShapes(const Input& input, QSizeF size)
{
    QList<ChartShape> out;
    const qsizetype n = input.buckets.size();
    const qsizetype k = input.tints.size();
    const double yMax = ChartMath::finite(input.yMax);
    if (n == 0 || k == 0 || !(yMax > 0))
        return out;
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal slot = w / qreal(n);
    const qreal barWidth = std::max<qreal>(slot - 1, 1);
    const qreal scale = h / yMax;
    QList<QPainterPath> paths(k);
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
    QList<ChartShape> out;
    const qsizetype n = input.buckets.size();
    const qsizetype k = input.tints.size();
    const double yMax = ChartMath::finite(input.yMax);
    if (n == 0 || k == 0 || !(yMax > 0))
        return out;
    qsizetype m = 0;
    for (const QList<double>& b : input.buckets)
        m = std::max(m, b.size());
    if (m < 1)
        return out;
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal scale = h / yMax;
    bool timePlaced = false;
    const QList<qreal> xs = ChartMath::placeX(n, w, input.times, input.window, date, &timePlaced);
    const qreal runsTo = runTo.value_or(w);

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
