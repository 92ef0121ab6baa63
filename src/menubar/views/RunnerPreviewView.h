#pragma once

#include "menubar/RunnerLayer.h"
#include "platform/statusitem/Layer.h"
#include "platform/statusitem/LayerCompositor.h"
#include "views/TurnCoalescer.h"

#include <QImage>
#include <QList>
#include <QWidget>
#include <memory>

namespace gaugelet {

// A widget that plays a runner animation outside the menu bar: one runner
// layer under a plain backing layer, composited by its own layer compositor,
// the sprite scaled to fit the widget and centred. Frames handed over with
// schedule() are installed once, one main-loop turn later, with the last
// values given. Main thread only.
class RunnerPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit RunnerPreviewView(QWidget* parent = nullptr);
    ~RunnerPreviewView() override;

    // Keeps the frames and duration for the next install pass and queues one
    // pass if none is queued.
    void schedule(const QList<QImage>& frames, double cycleDuration);
    // The install pass: fits the runner layer and applies the pending values.
    void installPending();

    const std::shared_ptr<RunnerLayer>& runner() const { return m_runner; }
    const QList<QImage>& pendingFrames() const { return m_pendingFrames; }
    double pendingCycleDuration() const { return m_pendingCycleDuration; }
    bool installScheduled() const { return m_installTurn.isPending(); }
    LayerCompositor* compositor() const { return m_compositor.get(); }
    const Layer::Ptr& backingLayer() const { return m_backing; }
    // How many install passes ran.
    int installCount() const { return m_installCount; }

    // The runner layer's frame for the first pending frame's pixel size fitted
    // into bounds (the whole bounds when either has no area).
    static QRectF fittedFrame(const QSizeF& framePixels, const QRectF& bounds);

    // The widget's picture now, as paintEvent draws it.
    QImage renderImage(double scale) const;

    QSize sizeHint() const override { return {48, 36}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fitRunner();

    std::shared_ptr<RunnerLayer> m_runner;
    QList<QImage> m_pendingFrames;
    double m_pendingCycleDuration = 1.0;
    TurnCoalescer m_installTurn{this, [this] { installPending(); }};
    Layer::Ptr m_backing;
    std::unique_ptr<LayerCompositor> m_compositor;
    int m_installCount = 0;
};

} // namespace gaugelet
