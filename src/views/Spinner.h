#pragma once

#include <QIcon>
#include <QTimer>
#include <QWidget>

namespace gaugelet {

// The one spinning progress indicator: eight spokes, the brightest at the
// current step and the others fading behind it. As a widget it turns only
// while it is visible; `frame` draws one step as an icon for a button that
// shows progress in place of its own icon.
class Spinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpokes = 8;
    static constexpr int kIntervalMs = 100;

    explicit Spinner(QWidget* parent = nullptr);

    bool isSpinning() const { return m_timer.isActive(); }
    int step() const { return m_step; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // One step of the turning, `side` points square, in a colour.
    static QIcon frame(int step, const QColor& colour, qreal devicePixelRatio, int side);
    // Paints one step into a square.
    static void paint(QPainter& painter, const QRectF& square, int step, const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace gaugelet
