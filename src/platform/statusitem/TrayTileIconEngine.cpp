#include "platform/statusitem/TrayTileIconEngine.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace gaugelet {

TrayTileIconEngine::TrayTileIconEngine(QSizeF points, Draw draw) : m_points(points), m_draw(std::move(draw)) { }

int TrayTileIconEngine::pixelsFor(QSize slot) const
{
    int pixels = slot.height();
    if (m_points.width() > 0 && m_points.height() > 0)
        pixels = std::min(pixels, int(std::floor(slot.width() * m_points.height() / m_points.width() + 1e-6)));
    return pixels;
}

QImage TrayTileIconEngine::picture(int pixels) const
{
    if (pixels <= 0 || !m_draw)
        return {};
    if (pixels != m_pixels) {
        m_picture = m_draw(pixels);
        m_pixels = pixels;
    }
    return m_picture;
}

void TrayTileIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize slot(int(std::lround(rect.width() * ratio)), int(std::lround(rect.height() * ratio)));
    const QImage image = picture(pixelsFor(slot));
    if (image.isNull())
        return;
    // One picture pixel to one device pixel, in the middle of the slot.
    const QSizeF size(image.width() / ratio, image.height() / ratio);
    const QPointF origin(std::round((rect.x() + (rect.width() - size.width()) / 2) * ratio) / ratio,
                         std::round((rect.y() + (rect.height() - size.height()) / 2) * ratio) / ratio);
    painter->drawImage(QRectF(origin, size), image, QRectF(image.rect()));
}

QPixmap TrayTileIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    // Cleared before it is painted on (the base class fills it too late).
    QPixmap out(size);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return out;
}

QIconEngine* TrayTileIconEngine::clone() const
{
    return new TrayTileIconEngine(m_points, m_draw);
}

QString TrayTileIconEngine::key() const
{
    return QStringLiteral("TrayTileIconEngine");
}

} // namespace gaugelet
