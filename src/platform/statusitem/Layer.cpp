#include "platform/statusitem/Layer.h"

#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"
#include "platform/statusitem/LayerCompositor.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

Layer::Layer() = default;

Layer::~Layer()
{
    for (const auto& sub : m_sublayers)
        sub->m_superlayer = nullptr;
}

void Layer::setNeedsComposition()
{
    ++m_revision;
    if (auto* c = compositor())
        c->setNeedsComposition();
}

void Layer::setBounds(const QRectF& bounds)
{
    setFrame(QRectF(m_frame.topLeft(), bounds.size()));
}

void Layer::setContents(const QImage& image)
{
    // Images are compared by identity (the shared pixel buffer), as layer
    // contents are: a new image with the same pixels still counts as new.
    if (image.cacheKey() == m_contents.cacheKey() && image.isNull() == m_contents.isNull())
        return;
    m_contents = image;
    setNeedsComposition();
}

void Layer::setContentsRepresentations(const QList<QImage>& images)
{
    const bool same = images.size() == m_representations.size()
                      && std::equal(images.cbegin(), images.cend(), m_representations.cbegin(),
                                    [](const QImage& a, const QImage& b) { return a.cacheKey() == b.cacheKey(); });
    if (same)
        return;
    m_representations = images;
    setNeedsComposition();
}

void Layer::setContentsScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1.0;
    assignAndCompose(m_contentsScale, scale);
}

double Layer::convertTime(double mediaTime) const
{
    const double parentTime = m_superlayer ? m_superlayer->convertTime(mediaTime) : mediaTime;
    return (parentTime - m_beginTime) * double(m_speed) + m_timeOffset;
}

double Layer::localTime() const
{
    return convertTime(MediaClock::now());
}

void Layer::addAnimation(KeyframeAnimation animation, const QString& key)
{
    if (animation.beginTime == 0)
        animation.beginTime = localTime();
    m_animations.insert(key, std::move(animation));
    setNeedsComposition();
}

void Layer::removeAnimation(const QString& key)
{
    if (m_animations.remove(key) > 0)
        setNeedsComposition();
}

void Layer::removeAllAnimations()
{
    if (m_animations.isEmpty())
        return;
    m_animations.clear();
    setNeedsComposition();
}

const KeyframeAnimation* Layer::animation(const QString& key) const
{
    auto it = m_animations.constFind(key);
    return it == m_animations.cend() ? nullptr : &*it;
}

int Layer::presentationFrameIndex(double mediaTime) const
{
    if (m_animations.isEmpty())
        return -1;
    const double local = convertTime(mediaTime);
    for (const auto& a : m_animations) {
        const int index = a.frameIndexAt(local - a.beginTime);
        if (index >= 0)
            return index;
    }
    return -1;
}

QImage Layer::presentationContents(double mediaTime) const
{
    if (m_animations.isEmpty())
        return m_contents;
    const double local = convertTime(mediaTime);
    for (const auto& a : m_animations) {
        const int index = a.frameIndexAt(local - a.beginTime);
        if (index >= 0)
            return a.values.at(index);
    }
    return m_contents;
}

void Layer::addSublayer(const Ptr& layer)
{
    if (!layer || layer.get() == this)
        return;
    if (layer->m_superlayer == this) {
        // Already ours: move it to the top of its z rank, as re-adding does.
        auto it = std::find(m_sublayers.begin(), m_sublayers.end(), layer);
        if (it != m_sublayers.end() && it + 1 == m_sublayers.end())
            return;
        m_sublayers.erase(it);
        m_sublayers.push_back(layer);
        setNeedsComposition();
        return;
    }
    Ptr keep = layer; // removing from the old parent must not free it
    keep->removeFromSuperlayer();
    keep->m_superlayer = this;
    m_sublayers.push_back(keep);
    setNeedsComposition();
}

void Layer::removeFromSuperlayer()
{
    Layer* parent = m_superlayer;
    if (!parent)
        return;
    // The compositor is found through the tree, so ask before leaving it.
    parent->setNeedsComposition();
    m_superlayer = nullptr;
    auto& subs = parent->m_sublayers;
    auto it = std::find_if(subs.begin(), subs.end(), [this](const Ptr& p) { return p.get() == this; });
    if (it != subs.end())
        subs.erase(it); // may destroy this layer: touch nothing after
}

bool Layer::isVisibleInTree() const
{
    for (const Layer* l = this; l; l = l->m_superlayer)
        if (l->m_hidden)
            return false;
    return true;
}

LayerCompositor* Layer::compositor() const
{
    const Layer* l = this;
    while (l->m_superlayer)
        l = l->m_superlayer;
    return l->m_owner;
}

void Layer::drawInContext(QPainter&) const {}

void Layer::drawContents(QPainter& painter, const QImage& contents, bool animated) const
{
    // The representation drawn for the painter's scale, when there is one.
    const double deviceScale = painter.worldTransform().m11();
    const QImage* chosen = &contents;
    double scale = m_contentsScale > 0 ? m_contentsScale : 1.0;
    bool drawnForThisScale = false;
    if (!animated) {
        for (const QImage& representation : m_representations) {
            if (std::abs(representation.devicePixelRatio() - deviceScale) < 1e-6) {
                chosen = &representation;
                scale = representation.devicePixelRatio();
                drawnForThisScale = true;
                break;
            }
        }
    }
    const QImage& image = *chosen;
    if (image.isNull() || m_frame.width() <= 0 || m_frame.height() <= 0)
        return;
    const QSizeF natural(image.width() / scale, image.height() / scale);
    QRectF target = bounds();
    switch (m_gravity) {
    case ContentsGravity::resize:
        break;
    case ContentsGravity::resizeAspect: {
        if (natural.width() <= 0 || natural.height() <= 0)
            return;
        const double f = std::min(target.width() / natural.width(), target.height() / natural.height());
        const QSizeF size(natural.width() * f, natural.height() * f);
        target = QRectF(QPointF((target.width() - size.width()) / 2, (target.height() - size.height()) / 2), size);
        break;
    }
    case ContentsGravity::center:
        target = QRectF(QPointF((target.width() - natural.width()) / 2, (target.height() - natural.height()) / 2), natural);
        break;
    }
    // Which filter applies depends on whether the image is drawn larger or
    // smaller than its pixels on the device.
    const bool magnifying = target.width() * deviceScale >= image.width();
    const ContentsFilter filter = magnifying ? m_magnificationFilter : m_minificationFilter;
    const QRectF device = painter.worldTransform().mapRect(target);
    if (drawnForThisScale && std::abs(device.width() - image.width()) < 1
        && std::abs(device.height() - image.height()) < 1 && painter.worldTransform().type() <= QTransform::TxScale) {
        // Pixel for pixel, on the device's pixel grid: a tile whose frame
        // starts between two pixels at this scale is not resampled for it.
        painter.save();
        painter.setWorldTransform(QTransform());
        painter.drawImage(QRectF(QPointF(std::round(device.left()), std::round(device.top())), QSizeF(image.size())),
                          image);
        painter.restore();
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, filter == ContentsFilter::linear);
    painter.drawImage(target, image);
}

void Layer::render(QPainter& painter, double mediaTime) const
{
    if (m_hidden)
        return;
    painter.save();
    painter.translate(m_frame.topLeft());
    if (m_masksToBounds)
        painter.setClipRect(bounds(), Qt::IntersectClip);

    const int index = presentationFrameIndex(mediaTime);
    m_lastPresentedIndex = index;
    drawContents(painter, index >= 0 ? presentationContents(mediaTime) : m_contents, index >= 0);
    drawInContext(painter);

    if (!m_sublayers.empty()) {
        // Ordered by z position; equal z keeps insertion order.
        std::vector<const Layer*> ordered;
        ordered.reserve(m_sublayers.size());
        for (const auto& s : m_sublayers)
            ordered.push_back(s.get());
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const Layer* a, const Layer* b) { return a->m_zPosition < b->m_zPosition; });
        for (const Layer* s : ordered)
            s->render(painter, mediaTime);
    }
    painter.restore();
}

} // namespace gaugelet
