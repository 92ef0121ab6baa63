#include "charts/PopupRingGrid.h"

#include "charts/PopupRing.h"
#include "platform/core/MainThread.h"
#include "stats/ChartMath.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {
qreal positive(qreal v)
{
    return std::isfinite(v) && v > 0 ? v : 0;
}
} // namespace

PopupRingGrid::PopupRingGrid(qreal diameter, qreal spacing, qreal lineWidth, QWidget* parent)
    : QWidget(parent), m_diameter(positive(diameter)), m_spacing(positive(spacing)), m_lineWidth(positive(lineWidth))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // The grid takes the width its column gives it and wraps to fit, so its
    // unwrapped row (1469 points for 64 rings) never widens the popover.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PopupRingGrid::setCores(const QList<PopupRingCell>& cores)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (cores == m_cores)
        return;
    const bool countChanged = cores.size() != m_cores.size();
    m_cores = cores;
    if (countChanged)
        updateGeometry();
    update();
}

int PopupRingGrid::columnsForWidth(qreal width, qreal diameter, qreal spacing)
{
    const qreal pitch = positive(diameter) + positive(spacing);
    if (!(pitch > 0) || !std::isfinite(width))
        return 1;
    // n rings take n × diameter + (n − 1) × spacing.
    const qreal fit = std::floor((width + positive(spacing)) / pitch + 1e-9);
    return int(std::clamp<qreal>(fit, 1, 1 << 20));
}

QList<QRectF> PopupRingGrid::cellRects(qsizetype count, qreal width, qreal diameter, qreal spacing)
{
    QList<QRectF> rects;
    rects.reserve(count);
    const qreal d = positive(diameter);
    const qreal s = positive(spacing);
    const int columns = columnsForWidth(width, d, s);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype row = i / columns;
        const qsizetype column = i % columns;
        rects.append(QRectF(qreal(column) * (d + s), qreal(row) * (d + s), d, d));
    }
    return rects;
}

qreal PopupRingGrid::rowWidth(qsizetype count, qreal diameter, qreal spacing)
{
    if (count <= 0)
        return 0;
    return qreal(count) * positive(diameter) + qreal(count - 1) * positive(spacing);
}

// The rings' strokes reach half a line width past their frames, so the
// grid keeps that much room on every side of its rows.
QSize PopupRingGrid::sizeHint() const
{
    if (m_cores.isEmpty())
        return {0, 0};
    const int room = 2 * PopupRing::overhang(m_lineWidth);
    return {int(std::ceil(rowWidth(m_cores.size(), m_diameter, m_spacing))) + room, int(std::ceil(m_diameter)) + room};
}

QSize PopupRingGrid::minimumSizeHint() const
{
    if (m_cores.isEmpty())
        return {0, 0};
    const int side = int(std::ceil(m_diameter)) + 2 * PopupRing::overhang(m_lineWidth);
    return {side, side};
}

int PopupRingGrid::heightForWidth(int width) const
{
    if (m_cores.isEmpty())
        return 0;
    const int room = 2 * PopupRing::overhang(m_lineWidth);
    const int columns = columnsForWidth(width - room, m_diameter, m_spacing);
    const qsizetype rows = (m_cores.size() + columns - 1) / columns;
    return int(std::ceil(qreal(rows) * m_diameter + qreal(rows - 1) * m_spacing)) + room;
}

QList<QRectF> PopupRingGrid::ringFrames() const
{
    const int room = PopupRing::overhang(m_lineWidth);
    QList<QRectF> rects = cellRects(m_cores.size(), width() - 2 * room, m_diameter, m_spacing);
    for (QRectF& r : rects)
        r.translate(room, room);
    return rects;
}

void PopupRingGrid::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    const QList<QRectF> rects = ringFrames();
    for (qsizetype i = 0; i < m_cores.size(); ++i)
        PopupRing::paint(painter, rects[i], m_cores[i].value, m_cores[i].tint, m_lineWidth);
}

} // namespace gaugelet
