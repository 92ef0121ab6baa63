#include "settings/setup/HeroBackdrop.h"

#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

HeroBackdrop::HeroBackdrop(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, m_topCornerRadius <= 0);
}

void HeroBackdrop::setTopCornerRadius(qreal radius)
{
    m_topCornerRadius = radius;
    setAttribute(Qt::WA_OpaquePaintEvent, radius <= 0);
    update();
}

QPalette HeroBackdrop::lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xEC, 0xEC, 0xEC));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    return palette;
}

void HeroBackdrop::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_sheen = QImage();
}

// The sheen: clear, white at 0.18, clear, from the bottom-leading to the
// top-trailing corner, turned by -8° and softened. Blurring by 12 points is
// done by drawing it at a twelfth of the size and scaling it up smoothly.
QImage HeroBackdrop::sheen(const QSize& size) const
{
    constexpr int reduction = 12;
    const QSize small((size.width() + reduction - 1) / reduction + 2, (size.height() + reduction - 1) / reduction + 2);
    QImage image(small, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, small.width() - 2, small.height() - 2);
    p.translate(r.center());
    p.rotate(-8);
    p.translate(-r.center());
    QLinearGradient g(r.bottomLeft(), r.topRight());
    g.setColorAt(0, QColor(255, 255, 255, 0));
    g.setColorAt(0.5, QColor(255, 255, 255, qRound(0.18 * 255)));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(r, g);
    p.end();
    return image.scaled(small * reduction, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .copy(reduction, reduction, size.width(), size.height());
}

void HeroBackdrop::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    if (m_topCornerRadius > 0) {
        const qreal r = m_topCornerRadius;
        QPainterPath clip;
        clip.moveTo(bounds.left(), bounds.bottom() + 1);
        clip.lineTo(bounds.left(), bounds.top() + r);
        clip.arcTo(QRectF(bounds.left(), bounds.top(), 2 * r, 2 * r), 180, -90);
        clip.lineTo(bounds.right() + 1 - r, bounds.top());
        clip.arcTo(QRectF(bounds.right() + 1 - 2 * r, bounds.top(), 2 * r, 2 * r), 90, -90);
        clip.lineTo(bounds.right() + 1, bounds.bottom() + 1);
        clip.closeSubpath();
        p.setClipPath(clip);
    }

    QLinearGradient base(bounds.topLeft(), bounds.bottomRight());
    base.setColorAt(0, QColor::fromRgbF(0.1f, 0.1f, 0.1f));
    base.setColorAt(1, QColor::fromRgbF(0.3f, 0.3f, 0.3f));
    p.fillRect(bounds, base);

    if (m_sheen.size() != size())
        m_sheen = sheen(size());
    p.drawImage(0, 0, m_sheen);

    // The card, centred, in the light scheme.
    const qreal w = std::min(cardWidth(), bounds.width());
    const qreal h = contentHeight() + 2 * cardPadding;
    const QRectF card(bounds.center().x() - w / 2, bounds.center().y() - h / 2, w, h);
    QPainterPath shape;
    shape.addRoundedRect(card, cardCornerRadius, cardCornerRadius);
    // The regular material over the dark backdrop: a light, slightly see-through fill.
    p.fillPath(shape, QColor(246, 246, 246, 224));
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    paintContent(p, card.adjusted(cardPadding, cardPadding, -cardPadding, -cardPadding));
    p.restore();
}

QRectF HeroBackdrop::paintAppTile(QPainter& p, qreal left, qreal midY, qreal side, qreal radius, qreal symbolSide)
{
    const QRectF tile(left, midY - side / 2, side, side);
    QPainterPath tileShape;
    tileShape.addRoundedRect(tile, radius, radius);
    p.fillPath(tileShape, Qt::white);
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    QImage symbol = SystemSymbol::image(QStringLiteral("gauge.with.dots.needle.67percent"), qRound(symbolSide * dpr));
    symbol.setDevicePixelRatio(dpr);
    p.drawImage(QRectF(tile.center().x() - symbolSide / 2, tile.center().y() - symbolSide / 2, symbolSide, symbolSide),
                symbol);
    return tile;
}

} // namespace gaugelet
