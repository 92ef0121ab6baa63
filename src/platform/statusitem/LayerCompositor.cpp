#include "platform/statusitem/LayerCompositor.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

namespace {

template <typename F>
bool anyVisibleLayer(const Layer& layer, const F& predicate)
{
    if (layer.isHidden())
        return false;
    if (predicate(layer))
        return true;
    for (const auto& sub : layer.sublayers())
        if (anyVisibleLayer(*sub, predicate))
            return true;
    return false;
}

bool canAdvance(const Layer& layer)
{
    if (!layer.hasAnimations())
        return false;
    // A layer whose time stands still anywhere up the tree never changes frame.
    for (const Layer* l = &layer; l; l = l->superlayer())
        if (l->speed() == 0.0f)
            return false;
    return true;
}

} // namespace

LayerCompositor::LayerCompositor(Layer::Ptr root, QObject* parent) : QObject(parent), m_root(std::move(root))
{
    Q_ASSERT(m_root);
    m_root->m_owner = this;
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(int(std::ceil(1000.0 / m_fpsLimit)));
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!hasVisibleAnimation() || m_paused) {
            m_timer.stop();
            return;
        }
        animationStep();
    });
    setNeedsComposition();
}

LayerCompositor::~LayerCompositor()
{
    if (m_root && m_root->m_owner == this)
        m_root->m_owner = nullptr;
}

void LayerCompositor::setNeedsComposition()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, [this] { compose(); }, Qt::QueuedConnection);
}

void LayerCompositor::flush()
{
    if (m_pending)
        compose();
}

void LayerCompositor::compose()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_pending)
        return; // already run by flush()
    m_pending = false;
    ++m_compositions;
    Q_EMIT compositionDue();
    updateAnimationTimer();
}

QImage LayerCompositor::render(const QSizeF& points, double scale, double mediaTime) const
{
    return render(QRectF(QPointF(0, 0), points), scale, mediaTime);
}

QImage LayerCompositor::render(const QRectF& area, double scale, double mediaTime) const
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1.0;
    const int w = std::max(0, int(std::ceil(area.width() * scale - 1e-9)));
    const int h = std::max(0, int(std::ceil(area.height() * scale - 1e-9)));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.translate(-area.topLeft());
    m_root->render(painter, mediaTime);
    painter.end();
    // A painted image keeps the paint engine that painted it, with its
    // buffers, for as long as it lives; the status item keeps its pictures,
    // so they are copies and the engine goes with the original.
    return image.copy();
}

QImage LayerCompositor::render(const QSizeF& points, double scale) const
{
    return render(points, scale, MediaClock::now());
}

void LayerCompositor::setPaused(bool paused)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!assignIfChanged(m_paused, paused))
        return;
    if (!paused)
        animationStep(); // frames may have moved on while paused
    updateAnimationTimer();
}

void LayerCompositor::setFramesPerSecondLimit(int fps)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_fpsLimit, std::max(1, fps)))
        m_timer.setInterval(int(std::ceil(1000.0 / m_fpsLimit)));
}

bool LayerCompositor::hasVisibleAnimation() const
{
    return anyVisibleLayer(*m_root, canAdvance);
}

bool LayerCompositor::animationStep()
{
    const double now = MediaClock::now();
    const bool changed = anyVisibleLayer(*m_root, [now](const Layer& l) {
        return canAdvance(l) && l.presentationFrameIndex(now) != l.lastPresentedFrameIndex();
    });
    if (changed)
        setNeedsComposition();
    return changed;
}

void LayerCompositor::updateAnimationTimer()
{
    const bool wanted = !m_paused && hasVisibleAnimation();
    if (wanted && !m_timer.isActive())
        m_timer.start();
    else if (!wanted && m_timer.isActive())
        m_timer.stop();
}

} // namespace gaugelet
