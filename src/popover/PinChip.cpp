#include "popover/PinChip.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "stats/StatSnapshot.h"
#include "views/Spacing.h"
#include "views/ToolTip.h"

#include <QApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

PinChip::PinChip(VisualizerPtr visualizer, const QString& providerId, Theme theme, QWidget* parent)
    : QAbstractButton(parent)
    , m_visualizer(std::move(visualizer))
    , m_visualizerId(m_visualizer ? m_visualizer->id() : QString())
    , m_providerId(providerId)
    , m_theme(theme)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (m_visualizer) {
        setToolTip(ToolTip::fromPlainText(m_visualizer->displayName()));
        setAccessibleName(m_visualizer->displayName());
    }
    makePreview();
}

void PinChip::setPinned(bool pinned)
{
    if (assignIfChanged(m_pinned, pinned))
        update();
}

void PinChip::setTheme(Theme theme)
{
    if (!assignIfChanged(m_theme, theme))
        return;
    makePreview();
    updateGeometry();
    update();
}

void PinChip::makePreview()
{
    m_preview = QImage();
    m_label.clear();
    if (!m_visualizer)
        return;
    const QList<QImage> frames = m_visualizer->previewFrames(m_theme, m_providerId);
    if (!frames.isEmpty() && !frames.first().isNull())
        m_preview = frames.first();
    else
        m_label = m_visualizer->chipLabel();
}

QMargins PinChip::padding()
{
    return Spacing::margins(Spacing::Step::s, Spacing::Step::xxs);
}

QSize PinChip::sizeHint() const
{
    // The padding the painting keeps, which grows with the font, around the
    // picture or the whole of the label's ink.
    if (!m_preview.isNull())
        return QSize(previewSide, previewSide).grownBy(padding());
    const QFontMetrics fm = fontMetrics();
    const int width = std::max(fm.horizontalAdvance(m_label), fm.boundingRect(m_label).width());
    return QSize(width, std::max(fm.height(), previewSide)).grownBy(padding());
}

void PinChip::mousePressEvent(QMouseEvent* event)
{
    m_pressedAt = event->globalPosition().toPoint();
    QAbstractButton::mousePressEvent(event);
}

bool PinChip::hitButton(const QPoint& pos) const
{
    if (QAbstractButton::hitButton(pos))
        return true;
    return isDown() && m_pressedAt
        && (mapToGlobal(pos) - *m_pressedAt).manhattanLength() <= QApplication::startDragDistance();
}

void PinChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QColor fill = DesignStyle::colour(m_pinned ? DesignStyle::Colour::accent : DesignStyle::Colour::secondary, this);
    fill.setAlphaF(fill.alphaF() * (m_pinned ? 0.25f : 0.1f));
    if (isDown())
        fill.setAlphaF(std::min(1.0f, fill.alphaF() * 2));
    const QRectF r = QRectF(rect());
    QPainterPath capsule;
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    p.fillPath(capsule, fill);
    if (m_pinned) {
        // The two fills differ too little on a dark popover: a pinned chip
        // also wears a ring of the accent, readable on the popover.
        const QColor ring =
            DesignStyle::readable(DesignStyle::colour(DesignStyle::Colour::accent, this), palette(), 3.0);
        p.setPen(QPen(ring, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(0.75, 0.75, -0.75, -0.75), r.height() / 2 - 1, r.height() / 2 - 1);
    }
    const QRect inner = rect().marginsRemoved(padding());
    if (!m_preview.isNull()) {
        QSizeF imageSize = QSizeF(m_preview.size()) / m_preview.devicePixelRatio();
        imageSize.scale(QSizeF(previewSide, previewSide), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), imageSize);
        target.moveCenter(QRectF(inner).center());
        p.drawImage(target, m_preview);
    } else {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(inner, Qt::AlignCenter, m_label);
    }
    if (hasFocus()) {
        // Dotted, inside the pinned ring, so focus never reads as pinned.
        QPen pen(DesignStyle::colour(DesignStyle::Colour::accent, this), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), r.height() / 2 - 2.5, r.height() / 2 - 2.5);
    }
}

} // namespace gaugelet
