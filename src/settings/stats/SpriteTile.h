#pragma once

#include "menubar/Visualizer.h"

#include <QAbstractButton>

namespace gaugelet {

class SpriteThumb;

// One runner choice of the sprite picker, 50 × 46 points, and wider and
// taller where its name needs it in a larger font: the sprite for the
// provider over its name, in the accent colour while it is the pinned one.
class SpriteTile : public QAbstractButton {
    Q_OBJECT
public:
    SpriteTile(VisualizerPtr viz, const QString& providerId, QWidget* parent = nullptr);

    const VisualizerPtr& visualizer() const { return m_viz; }
    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    SpriteThumb* thumb() const { return m_thumb; }

    // The height of every tile at the application font.
    static int tileHeight();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VisualizerPtr m_viz;
    bool m_selected = false;
    SpriteThumb* m_thumb = nullptr;
};

} // namespace gaugelet
