#include "menubar/SparklineVisualizer.h"

#include "menubar/RenderHasher.h"
#include "menubar/SparklineShape.h"
#include "platform/core/MainThread.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <cmath>

namespace gaugelet {

namespace {

class SparklineTileView : public TileView {
public:
    SparklineTileView(QList<double> points, Theme theme)
        : m_shape { std::move(points) }
        , m_theme(theme)
    {
    }

    QSizeF size() const override { return { SparklineVisualizer::width, SparklineVisualizer::height }; }

    void paint(QPainter& painter) const override
    {
        // Qt's raster engine blends a translucent antialiased stroke several
        // times slower than it fills an opaque one, so the line is stroked
        // opaque into a scratch image whose opacity is then scaled down as a
        // whole: the same picture (the stroke is one shape, nothing overlaps)
        // in a fraction of the time. Bevel joins: at one point wide they look
        // like round ones and cost half as much.
        const QColor color = SparklineVisualizer::lineColor(m_theme);
        const QRectF bounds(0, 0, SparklineVisualizer::width, SparklineVisualizer::height);
        const qreal scale = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
        QImage scratch(int(std::ceil(bounds.width() * scale)), int(std::ceil(bounds.height() * scale)),
                       QImage::Format_ARGB32_Premultiplied);
        if (scratch.isNull())
            return;
        scratch.setDevicePixelRatio(scale);
        scratch.fill(Qt::transparent);
        QPainter line(&scratch);
        line.setRenderHint(QPainter::Antialiasing);
        // The line is inset by half its width (and its contour's), so its
        // stroke stays inside the tile; the area under it takes a light fill.
        const std::optional<QColor> contour = TileView::contourColor(m_theme);
        const double inset = SparklineVisualizer::lineWidth / 2 + (contour ? TileView::contourWidth : 0);
        const QPainterPath path = m_shape.path(bounds.adjusted(inset, inset, -inset, -inset));
        const QColor opaque(color.red(), color.green(), color.blue());
        QPainterPath area = path;
        if (!path.isEmpty()) {
            area.lineTo(path.currentPosition().x(), bounds.bottom());
            area.lineTo(path.elementAt(0).x, bounds.bottom());
            area.closeSubpath();
        }
        QColor fill = opaque;
        fill.setAlphaF(float(SparklineVisualizer::fillOpacity));
        line.fillPath(area, fill);
        line.setPen(QPen(opaque, SparklineVisualizer::lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
        line.setBrush(Qt::NoBrush);
        line.drawPath(path);
        line.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        line.fillRect(bounds, QColor(0, 0, 0, color.alpha()));
        if (contour) {
            // Under the line: the same path, wider by the contour on either side.
            line.setCompositionMode(QPainter::CompositionMode_DestinationOver);
            line.setPen(QPen(*contour, SparklineVisualizer::lineWidth + 2 * TileView::contourWidth, Qt::SolidLine,
                             Qt::RoundCap, Qt::RoundJoin));
            line.drawPath(path);
        }
        line.end();
        painter.drawImage(QPointF(0, 0), scratch);
    }

private:
    SparklineShape m_shape;
    Theme m_theme;
};

} // namespace

QColor SparklineVisualizer::lineColor(Theme theme)
{
    // Over a contour, opaque: the line then reads against the contour itself.
    if (isShadeGuessed(theme))
        return isDark(theme) ? QColor(255, 255, 255) : QColor(0, 0, 0);
    return isDark(theme) ? QColor::fromRgbF(1, 1, 1, 0.9f) : QColor::fromRgbF(0, 0, 0, 0.8f);
}

SparklineVisualizer::SparklineVisualizer(const QString& id, const QString& displayName)
    : m_id(id)
    , m_displayName(displayName)
{
}

void SparklineVisualizer::ingest(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QString& provider = snapshot.providerId;
    auto last = m_lastAsOf.constFind(provider);
    if (last != m_lastAsOf.cend() && *last == snapshot.asOf)
        return;
    m_lastAsOf.insert(provider, snapshot.asOf);
    m_seq[provider] += 1;
    QList<double>& ring = m_rings[provider];
    if (ring.size() >= ringCapacity)
        ring.removeFirst();
    ring.append(snapshot.value);
}

qint64 SparklineVisualizer::renderKey(const StatSnapshot& snapshot)
{
    ingest(snapshot);
    RenderHasher hasher;
    hasher.combine(snapshot.providerId);
    hasher.combine(seq(snapshot.providerId));
    return hasher.finalize();
}

std::unique_ptr<TileView> SparklineVisualizer::makeView(const StatSnapshot& snapshot, Theme theme)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto it = m_rings.constFind(snapshot.providerId);
    QList<double> points = it != m_rings.cend() ? *it : QList<double> { snapshot.value };
    return std::make_unique<SparklineTileView>(std::move(points), theme);
}

} // namespace gaugelet
