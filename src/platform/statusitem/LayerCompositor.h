#pragma once

#include "platform/statusitem/Layer.h"

#include <QObject>
#include <QSizeF>
#include <QTimer>

namespace gaugelet {

// Composites one layer tree in software. Any change in the tree asks for a
// composition; all requests of one main-loop turn collapse into one
// compositionDue() in the next turn, where the owner renders the tree.
//
// Contents animations advance on an animation timer that runs only while a
// visible layer of the tree has an animation with a non-zero speed and the
// compositor is not paused, at most at the frames-per-second limit. A timer
// tick asks for a composition only when some layer's frame index differs from
// the one last presented.
class LayerCompositor : public QObject {
    Q_OBJECT
public:
    explicit LayerCompositor(Layer::Ptr root, QObject* parent = nullptr);
    ~LayerCompositor() override;

    const Layer::Ptr& root() const { return m_root; }

    void setNeedsComposition();
    bool isCompositionPending() const { return m_pending; }
    // Runs a pending composition at once (tests, benchmarks).
    void flush();

    // Renders the tree into a transparent image of ceil(points × scale)
    // pixels, at the given media time. Records the presented frame indices.
    QImage render(const QSizeF& points, double scale, double mediaTime) const;
    // The same, at the media clock's now.
    QImage render(const QSizeF& points, double scale) const;
    // The part of the tree under `area` (points) alone, its top-left corner
    // at the image's origin: ceil(area's size × scale) pixels.
    QImage render(const QRectF& area, double scale, double mediaTime) const;

    // While paused the animation timer does not run.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // The animation timer's cap; below 1 counts as 1.
    void setFramesPerSecondLimit(int fps);
    int framesPerSecondLimit() const { return m_fpsLimit; }

    bool isAnimationTimerActive() const { return m_timer.isActive(); }
    int animationTimerIntervalMs() const { return m_timer.interval(); }
    int compositionCount() const { return m_compositions; }
    // True when a visible layer has an animation that can advance.
    bool hasVisibleAnimation() const;
    // One animation-timer step: asks for a composition when a visible
    // animated layer's frame index changed since it was last presented.
    // Returns whether it did.
    bool animationStep();

Q_SIGNALS:
    // Once per composition: the owner renders the tree now.
    void compositionDue();

private:
    void compose();
    void updateAnimationTimer();

    Layer::Ptr m_root;
    bool m_pending = false;
    bool m_paused = false;
    int m_fpsLimit = 15;
    int m_compositions = 0;
    QTimer m_timer;
};

} // namespace gaugelet
