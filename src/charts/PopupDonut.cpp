#include "charts/PopupDonut.h"

#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/ChartMath.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace gaugelet {

namespace {
constexpr double kTurn = 2 * std::numbers::pi;

int sideOf(qreal size)
{
    return std::isfinite(size) && size > 0 ? int(std::ceil(size)) : 0;
}

// Qt measures arcs in degrees, counter-clockwise on screen; ours are radians
// growing clockwise on screen (y down).
qreal qtDegrees(double radians)
{
    return -radians * 180.0 / std::numbers::pi;
}
} // namespace

PopupDonut::PopupDonut(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sideOf(m_input.size), sideOf(m_input.size));
}

void PopupDonut::setInput(Input input)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool resized = input.size != m_input.size;
    m_input = std::move(input);
    if (resized)
        setFixedSize(sideOf(m_input.size), sideOf(m_input.size));
    update();
}

QSize PopupDonut::sizeHint() const
{
    return {sideOf(m_input.size), sideOf(m_input.size)};
}

QList<PopupDonut::Sweep> PopupDonut::sweeps(const QList<double>& segments)
{
    QList<Sweep> out;
    double total = 0;
    for (double v : segments)
        total += ChartMath::finite(v);
    if (!(total > 0) || !std::isfinite(total))
        return out;
    const double start = -std::numbers::pi / 2;
    double a = start;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const double v = ChartMath::finite(segments[i]);
        if (!(v > 0))
            continue;
        // Negative segments count in the total but take no angle, so the
        // positive ones could add up past a full turn: stop at one turn.
        const double sweep = std::min(kTurn * v / total, start + kTurn - a);
        if (!(sweep > 0))
            break;
        out.append(Sweep{i, a, sweep});
        a += sweep;
    }
    return out;
}

QList<ChartShape> PopupDonut::shapes(const Input& input, QSizeF size)
{
    QList<ChartShape> out;
    if (input.segments.isEmpty() || input.tints.isEmpty())
        return out;
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal r = std::min(w, h) * 0.5;
    if (!(r > 0))
        return out;
    const qreal inner = r * std::clamp<qreal>(ChartMath::finite(input.innerRatio), 0, 1);
    const QPointF centre(w * 0.5, h * 0.5);
    const double halfGap = (ChartMath::finite(input.inset) / r) * 0.5;
    const QRectF outerRect(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    const QRectF innerRect(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner);
    const qsizetype lastTint = input.tints.size() - 1;
    for (const Sweep& s : sweeps(input.segments)) {
        const double from = s.start + halfGap;
        const double span = s.sweep - 2 * halfGap;
        if (!(span > 0))
            continue; // thinner than the gap: nothing left to draw
        QPainterPath path;
        path.arcMoveTo(outerRect, qtDegrees(from));
        path.arcTo(outerRect, qtDegrees(from), qtDegrees(span));
        path.arcTo(innerRect, qtDegrees(from + span), -qtDegrees(span));
        path.closeSubpath();
        out.append(ChartShape::filled(path, input.tints[std::min(s.index, lastTint)]));
    }
    return out;
}

namespace {

struct CentreText {
    QFont label;
    QFont caption;
};

// The farthest point of the figure's and the caption's ink from the centre,
// set as paintEvent sets them: the pair centred, the caption under the figure.
qreal inkReach(const CentreText& fonts, const QString& label, const QString& caption, qreal side)
{
    const QFontMetricsF lm(fonts.label);
    const QFontMetricsF cm(fonts.caption);
    const qreal labelH = lm.height();
    const qreal captionH = caption.isEmpty() ? 0 : cm.height();
    const qreal top = (side - labelH - captionH) * 0.5;
    qreal reach = 0;
    const auto take = [&](const QRectF& ink, qreal baseline) {
        const qreal x = ink.width() * 0.5;
        for (qreal y : {baseline + ink.top(), baseline + ink.bottom()})
            reach = std::max(reach, std::hypot(x, y - side * 0.5));
    };
    take(lm.tightBoundingRect(label), top + lm.ascent());
    if (!caption.isEmpty())
        take(cm.tightBoundingRect(caption), top + labelH + cm.ascent());
    return reach;
}

// The centre's fonts at the design's sizes, made smaller where a large
// application font would carry the figure or its caption onto the ring.
CentreText centreText(const PopupDonut::Input& input, const QString& caption)
{
    const auto fonts = [&](qreal scale) {
        return CentreText{
            DesignStyle::monospacedDigits(DesignStyle::systemFont(input.size * 0.22 * scale, QFont::DemiBold)),
            DesignStyle::systemFont(input.size * 0.08 * scale, QFont::Medium)};
    };
    const qreal hole = input.size * 0.5 * std::clamp<qreal>(ChartMath::finite(input.innerRatio), 0, 1)
                       - std::max<qreal>(0, ChartMath::finite(input.inset));
    qreal scale = 1;
    CentreText out = fonts(scale);
    // Text does not scale quite linearly: a few rounds at most.
    for (int round = 0; round < 4 && hole > 0; ++round) {
        const qreal reach = inkReach(out, input.centerLabel, caption, input.size);
        if (!(reach > hole) || !std::isfinite(reach))
            break;
        scale *= hole / reach * 0.97;
        out = fonts(scale);
    }
    return out;
}

} // namespace

void PopupDonut::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    const QSizeF canvas(m_input.size, m_input.size);
    ChartShape::paint(painter, shapes(m_input, canvas));

    // The centre: the figure over its caption, the pair centred inside the hole.
    const QString caption = m_input.centerCaption.toUpper();
    const CentreText fonts = centreText(m_input, caption);
    const QFontMetricsF lm(fonts.label);
    const QFontMetricsF cm(fonts.caption);
    const qreal labelH = lm.height();
    const qreal captionH = caption.isEmpty() ? 0 : cm.height();
    const qreal top = (canvas.height() - labelH - captionH) * 0.5;
    painter.setPen(DesignStyle::colour(DesignStyle::Colour::primary, this));
    painter.setFont(fonts.label);
    painter.drawText(QRectF(0, top, canvas.width(), labelH), Qt::AlignCenter | Qt::TextSingleLine,
                     m_input.centerLabel);
    if (!caption.isEmpty()) {
        painter.setPen(DesignStyle::colour(DesignStyle::Colour::secondary, this));
        painter.setFont(fonts.caption);
        painter.drawText(QRectF(0, top + labelH, canvas.width(), captionH), Qt::AlignCenter | Qt::TextSingleLine,
                         caption);
    }
}

} // namespace gaugelet
