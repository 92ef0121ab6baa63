#include "charts/PopupMirror.h"

#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/ChartMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

PopupMirror::PopupMirror(QWidget* parent) : PopupBandChart(Input().height, parent) { }

void PopupMirror::setInput(Input input)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_input = std::move(input);
    setBandHeight(m_input.height);
    update();
}

void PopupMirror::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    QColor line = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    line.setAlphaF(line.alphaF() * 0.3);
    ChartShape::paint(painter, shapes(m_input, QSizeF(size()), line));
}

qreal PopupMirror::centreY(qreal height)
{
    return std::round(height * 0.5); // halves away from zero
}

QList<ChartShape> PopupMirror::shapes(const Input& input, QSizeF size, const QColor& lineColour)
{
    const qsizetype n = std::max(input.up.size(), input.down.size());
    const double magnitude = ChartMath::finite(input.yMagnitude);
    if (n == 0 || !(magnitude > 0))
        return {};
    const qreal w = size.width();
    const qreal slot = w / qreal(n);
    const qreal gap = ChartMath::finite(input.barGap);
    const qreal barWidth = std::max<qreal>(slot - gap, 1);
    const qreal mid = centreY(size.height());
    const qreal scale = mid / magnitude;
    QPainterPath upper, lower;
    for (qsizetype i = 0; i < input.up.size(); ++i) {
        const double v = ChartMath::finite(input.up[i]);
        if (v > 0)
            upper.addRect(QRectF(slot * qreal(i), mid - scale * v, barWidth, scale * v));
    }
    for (qsizetype i = 0; i < input.down.size(); ++i) {
        const double v = ChartMath::finite(input.down[i]);
        if (v > 0)
            lower.addRect(QRectF(slot * qreal(i), mid, barWidth, scale * v));
    }
    QList<ChartShape> out;
    if (!upper.isEmpty())
        out.append(ChartShape::filled(upper, input.upTint));
    if (!lower.isEmpty())
        out.append(ChartShape::filled(lower, input.downTint));
    QPainterPath centre(QPointF(0, mid));
    centre.lineTo(w, mid);
    out.append(ChartShape::stroked(centre, lineColour, 0.5, Qt::FlatCap, Qt::RoundJoin));
    return out;
}

} // namespace gaugelet
