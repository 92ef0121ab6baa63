#include "menubar/PieVisualizer.h"

#include "menubar/RenderHasher.h"
#include "platform/core/MainThread.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

const QString kId = QStringLiteral("viz.pie");

class PieTileView : public TileView {
public:
    PieTileView(PieVisualizer::RingImagePtr ring, double side)
        : m_ring(std::move(ring))
        , m_side(side)
    {
    }

    QSizeF size() const override { return { m_side, m_side }; }

    void paint(QPainter& painter) const override
    {
        if (!m_ring || m_ring->side <= 0)
            return;
        if (m_ring->side == m_side) {
            m_ring->paint(painter);
            return;
        }
        // Aspect-fit into the frame, centred.
        const double scale = m_side / m_ring->side;
        painter.save();
        painter.translate((m_side - m_ring->side * scale) / 2, (m_side - m_ring->side * scale) / 2);
        painter.scale(scale, scale);
        m_ring->paint(painter);
        painter.restore();
    }

private:
    PieVisualizer::RingImagePtr m_ring;
    double m_side;
};

} // namespace

void PieVisualizer::RingImage::paint(QPainter& painter) const
{
    const QTransform& t = painter.worldTransform();
    const qreal scale = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    if (t.type() <= QTransform::TxTranslate && t.dx() == std::round(t.dx() * scale) / scale
        && t.dy() == std::round(t.dy() * scale) / scale) {
        // Whole device pixels apart: the kept pixels are exactly what drawing would give.
        const QImage& image = pixels(scale);
        if (!image.isNull()) {
            painter.drawImage(QPointF(0, 0), image);
            return;
        }
    }
    draw(painter);
}

const QImage& PieVisualizer::RingImage::pixels(qreal scale) const
{
    if (!m_pixels.isNull() && m_pixels.devicePixelRatio() == scale)
        return m_pixels;
    m_pixels = QImage();
    const double px = std::ceil(side * scale);
    if (!(scale > 0) || !(px >= 1 && px <= TileView::maxImageSide))
        return m_pixels;
    const int pixelSide = int(px);
    QImage image(pixelSide, pixelSide, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawIntoEmptyImage(painter);
    painter.end();
    m_pixels = image.copy(); // kept: without the paint engine the painted image holds
    return m_pixels;
}

// Green, yellow and red in the shades that stand out 4.5:1 from the panel:
// bright on a dark panel, deep on a light one.
QColor PieVisualizer::loadColor(double v, Theme theme)
{
    const bool dark = isDark(theme);
    if (v < 0.6)
        return dark ? QColor(0x30, 0xD1, 0x58) : QColor(0x15, 0x69, 0x2C);
    if (v < 0.85)
        return dark ? QColor(0xFF, 0xD6, 0x0A) : QColor(0x7A, 0x52, 0x00);
    return dark ? QColor(0xFF, 0x8F, 0x85) : QColor(0xB3, 0x26, 0x1E);
}

// The empty part of the ring: fainter than the arc, but still 3:1 from the panel.
QColor PieVisualizer::trackColor(Theme theme)
{
    return isDark(theme) ? QColor::fromRgbF(1, 1, 1, 0.45f) : QColor::fromRgbF(0, 0, 0, 0.45f);
}

void PieVisualizer::RingImage::drawIntoEmptyImage(QPainter& painter) const
{
    // The same picture as draw(), for a painter on a fresh transparent image
    // only. Qt's raster engine blends a translucent antialiased stroke many
    // times slower than it fills an opaque one, so the track is stroked opaque
    // and the image (holding only the track) is then scaled to the track's
    // opacity before the opaque arc goes on top.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(trackColor.red(), trackColor.green(), trackColor.blue()), lineWidth, Qt::SolidLine,
                        Qt::FlatCap, Qt::MiterJoin));
    painter.drawEllipse(square);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(QRectF(0, 0, side, side), QColor(0, 0, 0, trackColor.alpha()));
    if (contourColor) {
        // Under the track (which is translucent): a ring wider by the
        // contour on either side.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        painter.setPen(contourPen());
        painter.drawEllipse(square);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (arcColor) {
        painter.setPen(QPen(*arcColor, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(arc);
    }
    painter.restore();
}

QPen PieVisualizer::RingImage::contourPen() const
{
    return QPen(contourColor.value_or(Qt::transparent), lineWidth + 2 * TileView::contourWidth, Qt::SolidLine,
                Qt::FlatCap, Qt::MiterJoin);
}

void PieVisualizer::RingImage::draw(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (contourColor) {
        painter.setPen(contourPen());
        painter.drawEllipse(square);
    }
    painter.setPen(QPen(trackColor, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawEllipse(square);
    if (arcColor) {
        painter.setPen(QPen(*arcColor, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(arc);
    }
    painter.restore();
}

PieVisualizer::PieVisualizer()
    : m_size(kId, {minimumSize, maximumSize, defaultSize}, sizeNotificationPrefix, [this] { m_caches.clear(); })
{
}

QString PieVisualizer::id() const { return kId; }

QString PieVisualizer::displayName() const { return QCoreApplication::translate("PieVisualizer", "Pie"); }

QSizeF PieVisualizer::size() const
{
    return {m_size.value(), m_size.value()};
}

double PieVisualizer::clampedValue(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, 0.0, 1.0);
}

PieVisualizer::RingImagePtr PieVisualizer::drawRing(double v, Theme theme, double side)
{
    auto ring = std::make_shared<RingImage>();
    ring->side = side;
    const double w = std::max(side * 0.21, 2.0);
    ring->lineWidth = w;
    ring->contourColor = TileView::contourColor(theme);
    const double inset = w * 0.5 + 0.5 + (ring->contourColor ? TileView::contourWidth : 0);
    // y grows downwards here: the ring sits 2 pt below the middle.
    const double cx = side / 2;
    const double cy = side / 2 + 2;
    const double r = std::max(std::min({ cx - inset, (side - cy) - inset, cy - inset }), 0.0);
    ring->square = QRectF(cx - r, cy - r, 2 * r, 2 * r);
    ring->trackColor = trackColor(theme);
    if (v > 0) {
        ring->arcColor = loadColor(v, theme);
        // From the top, clockwise on screen (Qt's angles run counter-clockwise).
        ring->arc.arcMoveTo(ring->square, 90);
        ring->arc.arcTo(ring->square, 90, -v * 360);
    }
    return ring;
}

PieVisualizer::RingImagePtr PieVisualizer::ringImage(const StatSnapshot& snapshot, Theme theme)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const double v = clampedValue(snapshot.value);
    const QString themeName = rawValue(theme);
    auto it = m_caches.constFind(snapshot.providerId);
    if (it != m_caches.cend() && std::abs(it->value - v) < 0.005 && it->theme == themeName
        && it->size == m_size.value())
        return it->image;
    RingImagePtr image = drawRing(v, theme, m_size.value());
    m_caches.insert(snapshot.providerId, CacheRecord{v, themeName, m_size.value(), image});
    return image;
}

std::unique_ptr<TileView> PieVisualizer::makeView(const StatSnapshot& snapshot, Theme theme)
{
    return std::make_unique<PieTileView>(ringImage(snapshot, theme), m_size.value());
}

qint64 PieVisualizer::renderKey(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    RenderHasher hasher;
    hasher.combine(snapshot.providerId);
    hasher.combine(RenderHasher::toKeyInteger(snapshot.value * 1000));
    hasher.combine(RenderHasher::toKeyInteger(m_size.value()));
    return hasher.finalize();
}

} // namespace gaugelet
