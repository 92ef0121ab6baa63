#pragma once

#include "menubar/Visualizer.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace gaugelet {

// A still preview of a visualizer for a provider, size × size points: the
// first sprite frame at half load, or the paw-print symbol when there is no
// visualizer or it has no frames.
class SpriteThumb : public QWidget {
    Q_OBJECT
public:
    SpriteThumb(VisualizerPtr viz, const QString& providerId, qreal size, QWidget* parent = nullptr);

    const VisualizerPtr& visualizer() const { return m_viz; }
    void setVisualizer(const VisualizerPtr& viz);
    // Whether a sprite frame is shown (false: the paw print).
    bool showsFrame() const { return !m_frame.isNull(); }
    const QImage& frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void loadFrame();

    VisualizerPtr m_viz;
    QString m_providerId;
    qreal m_size;
    QImage m_frame;
};

} // namespace gaugelet
