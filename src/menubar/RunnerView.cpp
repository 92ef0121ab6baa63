#include "menubar/RunnerView.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

RunnerView::RunnerView(RunnerAnimator* animator, RunnerFramesPtr frames, double size)
    : m_animator(animator)
    , m_frames(std::move(frames))
    , m_size(std::isfinite(size) && size > 0 ? size : 0.0)
{
}

QImage RunnerView::currentImage() const
{
    if (!m_frames)
        return {};
    return m_frames->image(m_animator ? m_animator->frame() : 0);
}

void RunnerView::paint(QPainter& painter) const
{
    const QImage image = currentImage();
    if (image.isNull() || m_size <= 0)
        return;
    // Fitted with its aspect kept: frames are wider than tall, and stretching
    // them into the square would squash the animal.
    const QSizeF natural = QSizeF(image.size()) / image.devicePixelRatio();
    const QSizeF fitted = natural.scaled(QSizeF(m_size, m_size), Qt::KeepAspectRatio);
    const QRectF target(QPointF((m_size - fitted.width()) / 2, (m_size - fitted.height()) / 2), fitted);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image);
    painter.restore();
}

} // namespace gaugelet
