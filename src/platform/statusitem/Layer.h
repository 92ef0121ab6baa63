#pragma once

#include "platform/core/AssignIfChanged.h"
#include "platform/statusitem/KeyframeAnimation.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

namespace gaugelet {

class LayerCompositor;

// How a layer's contents image fills its bounds.
enum class ContentsGravity {
    resize,       // stretched to the bounds
    resizeAspect, // as large as fits, aspect kept, centred
    center,       // natural size (pixels / contents scale), centred
};

// How contents images are scaled when drawn.
enum class ContentsFilter { linear, nearest };

// One node of the status item's layer tree, composited in software. A plain
// layer draws its contents image (if any) into its frame, then its sublayers
// ordered by z position (equal z keeps insertion order). Coordinates are in
// points, y pointing down, relative to the superlayer's origin.
//
// Timing follows the usual layer model: a layer's local time is
//   (parent's local time - beginTime) * speed + timeOffset
// with the root's parent time being the media clock. Contents animations run
// on local time, so a speed change with beginTime = now and timeOffset = the
// local time then keeps the phase.
//
// Every change that alters the picture asks the owning compositor for one
// composition in the next main-loop turn; setting an equal value asks nothing.
// There are no implicit animations: changes take effect at the next composition.
class Layer : public std::enable_shared_from_this<Layer> {
public:
    using Ptr = std::shared_ptr<Layer>;

    static Ptr create() { return Ptr(new Layer); }
    virtual ~Layer();

    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Geometry.
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame) { assignAndCompose(m_frame, frame); }
    // Bounds are (0, 0, width, height); setting them keeps the frame's origin.
    QRectF bounds() const { return {0, 0, m_frame.width(), m_frame.height()}; }
    void setBounds(const QRectF& bounds);
    double zPosition() const { return m_zPosition; }
    void setZPosition(double z) { assignAndCompose(m_zPosition, z); }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { assignAndCompose(m_hidden, hidden); }

    // Contents.
    const QImage& contents() const { return m_contents; }
    void setContents(const QImage& image);
    // The same picture drawn for other scales, each image's device pixel
    // ratio the scale it was drawn for: an image with several
    // representations. Rendering at one of those scales draws its own
    // representation pixel for pixel instead of resampling the contents, so
    // a tile drawn for 16, 22 or 24 pixels stays as sharp as drawn. Animated
    // frames have none.
    const QList<QImage>& contentsRepresentations() const { return m_representations; }
    void setContentsRepresentations(const QList<QImage>& images);
    ContentsGravity contentsGravity() const { return m_gravity; }
    void setContentsGravity(ContentsGravity gravity) { assignAndCompose(m_gravity, gravity); }
    ContentsFilter magnificationFilter() const { return m_magnificationFilter; }
    ContentsFilter minificationFilter() const { return m_minificationFilter; }
    void setMagnificationFilter(ContentsFilter filter) { assignAndCompose(m_magnificationFilter, filter); }
    void setMinificationFilter(ContentsFilter filter) { assignAndCompose(m_minificationFilter, filter); }
    double contentsScale() const { return m_contentsScale; }
    void setContentsScale(double scale);
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks) { assignAndCompose(m_masksToBounds, masks); }

    // Timing.
    float speed() const { return m_speed; }
    void setSpeed(float speed) { assignAndCompose(m_speed, speed); }
    double beginTime() const { return m_beginTime; }
    void setBeginTime(double t) { assignAndCompose(m_beginTime, t); }
    double timeOffset() const { return m_timeOffset; }
    void setTimeOffset(double t) { assignAndCompose(m_timeOffset, t); }
    // The local time at the given media time (seconds since boot).
    double convertTime(double mediaTime) const;
    // The local time now.
    double localTime() const;

    // Contents animations, by key. Adding under a taken key replaces it. An
    // animation whose beginTime is 0 begins at the local time of adding.
    void addAnimation(KeyframeAnimation animation, const QString& key);
    void removeAnimation(const QString& key);
    void removeAllAnimations();
    const KeyframeAnimation* animation(const QString& key) const;
    bool hasAnimations() const { return !m_animations.isEmpty(); }
    QStringList animationKeys() const { return m_animations.keys(); }
    // The contents image shown at the media time: the running animation's
    // frame, else the contents.
    QImage presentationContents(double mediaTime) const;
    // The frame index of the running animation at the media time, -1 without one.
    int presentationFrameIndex(double mediaTime) const;

    // Tree.
    Layer* superlayer() const { return m_superlayer; }
    const std::vector<Ptr>& sublayers() const { return m_sublayers; }
    void addSublayer(const Ptr& layer);
    void removeFromSuperlayer();
    // Visible: neither this layer nor any ancestor is hidden.
    bool isVisibleInTree() const;

    // The compositor of the tree this layer belongs to (the root's owner).
    LayerCompositor* compositor() const;

    // Draws this layer and its sublayers; the painter is in the superlayer's
    // coordinates (points). Records the frame index it presented.
    void render(QPainter& painter, double mediaTime) const;

    // The frame index presented at the last composition (-1: contents).
    int lastPresentedFrameIndex() const { return m_lastPresentedIndex; }
    // Counts the changes that asked for a composition: a layer whose revision
    // and presented frame are as before draws the same pixels as before.
    quint64 revision() const { return m_revision; }

protected:
    Layer();
    // Draws this layer's own picture into its bounds (after the contents,
    // before the sublayers). Plain layers draw nothing more.
    virtual void drawInContext(QPainter& painter) const;
    // Asks the compositor for a composition.
    void setNeedsComposition();
    // Stores a property's new value and asks for a composition when it changed.
    template <typename T, typename U>
    void assignAndCompose(T& member, U&& value)
    {
        if (assignIfChanged(member, std::forward<U>(value)))
            setNeedsComposition();
    }

private:
    friend class LayerCompositor;
    void drawContents(QPainter& painter, const QImage& image, bool animated) const;

    QRectF m_frame;
    double m_zPosition = 0;
    bool m_hidden = false;
    QImage m_contents;
    QList<QImage> m_representations;
    ContentsGravity m_gravity = ContentsGravity::resize;
    ContentsFilter m_magnificationFilter = ContentsFilter::linear;
    ContentsFilter m_minificationFilter = ContentsFilter::linear;
    double m_contentsScale = 1.0;
    bool m_masksToBounds = false;
    float m_speed = 1.0f;
    double m_beginTime = 0;
    double m_timeOffset = 0;
    QMap<QString, KeyframeAnimation> m_animations;
    Layer* m_superlayer = nullptr;
    std::vector<Ptr> m_sublayers;
    LayerCompositor* m_owner = nullptr; // set on a root by its compositor
    mutable int m_lastPresentedIndex = -1;
    quint64 m_revision = 0;
};

} // namespace gaugelet
