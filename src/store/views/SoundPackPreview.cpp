#include "store/views/SoundPackPreview.h"

#include "platform/core/MainThread.h"
#include "views/ToolTip.h"

#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

SoundPackPreview::SoundPackPreview(QString displayName, QByteArray audioBytes, QWidget* parent)
    : QAbstractButton(parent), m_displayName(std::move(displayName)), m_audioBytes(std::move(audioBytes)),
      m_box(new PreviewBox(this))
{
    // The name comes from the pack's manifest: plain text, never markup.
    const QString help = tr("Preview %1").arg(m_displayName);
    ToolTip::set(this, help);
    setAccessibleName(help);
    setCursor(Qt::PointingHandCursor);
    connect(m_box, &PreviewBox::isPlayingChanged, this, [this] { update(); });
    connect(this, &QAbstractButton::clicked, this, [this] {
        GAUGELET_ASSERT_MAIN_THREAD();
        m_box->toggle(m_audioBytes);
    });
}

QString SoundPackPreview::symbolName() const
{
    return m_box->isPlaying() ? QStringLiteral("stop.fill") : QStringLiteral("play.fill");
}

QSize SoundPackPreview::sizeHint() const { return {44, 44}; }

void SoundPackPreview::hideEvent(QHideEvent* event)
{
    if (m_box->player() && m_box->player()->isPlaying())
        m_box->toggle(m_audioBytes);
    QAbstractButton::hideEvent(event);
}

void SoundPackPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = palette().color(QPalette::Highlight);
    QColor fill = accent;
    fill.setAlphaF(0.15);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(box, 8, 8);

    // The symbol, in the accent colour at about the size of a title-3 glyph.
    const double s = std::min(box.width(), box.height()) * 0.4;
    const QPointF c = box.center();
    p.setBrush(accent);
    if (m_box->isPlaying()) {
        p.drawRoundedRect(QRectF(c.x() - s / 2, c.y() - s / 2, s, s), s * 0.12, s * 0.12);
    } else {
        QPainterPath triangle;
        triangle.moveTo(c.x() - s * 0.4, c.y() - s / 2);
        triangle.lineTo(c.x() + s * 0.55, c.y());
        triangle.lineTo(c.x() - s * 0.4, c.y() + s / 2);
        triangle.closeSubpath();
        p.drawPath(triangle);
    }
}

} // namespace gaugelet
