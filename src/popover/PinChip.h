#pragma once

#include "menubar/Visualizer.h"
#include "stats/Theme.h"

#include <QAbstractButton>
#include <QImage>
#include <QMargins>
#include <optional>

namespace gaugelet {

// One choice of the "Pin as:" bar: a small capsule showing what the
// visualizer would draw for a value of 50 % (its first sprite frame, or its
// chip label when it has no frames), tinted and ringed in the accent when the
// pin exists.
class PinChip : public QAbstractButton {
    Q_OBJECT
public:
    PinChip(VisualizerPtr visualizer, const QString& providerId, Theme theme, QWidget* parent = nullptr);

    QString visualizerId() const { return m_visualizerId; }
    const VisualizerPtr& visualizer() const { return m_visualizer; }
    bool isPinned() const { return m_pinned; }
    void setPinned(bool pinned);
    // Draws the preview again for another menu-bar theme.
    void setTheme(Theme theme);
    // The preview: a null image when the visualizer has no frames (then the label shows).
    const QImage& previewImage() const { return m_preview; }
    QString previewLabel() const { return m_label; }

    static constexpr int previewSide = 18;
    // The room kept around the picture or the label, in step with the font.
    static QMargins padding();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A click is decided by the pointer, not by where the chip is now: the
    // popover's rows grow and shrink with each publish, and a chip that moved
    // under a pointer held still still takes the release.
    bool hitButton(const QPoint& pos) const override;

private:
    void makePreview();

    VisualizerPtr m_visualizer;
    QString m_visualizerId;
    QString m_providerId;
    Theme m_theme;
    bool m_pinned = false;
    QImage m_preview;
    QString m_label;
    std::optional<QPoint> m_pressedAt; // global
};

} // namespace gaugelet
