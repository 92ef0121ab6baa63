#pragma once

#include <QAbstractButton>
#include <QColor>

namespace gaugelet {

// A small switch-style toggle (a capsule track and a round knob), tinted when
// on; 30 × 14 points.
class MiniSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit MiniSwitch(QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    const QColor& tint() const { return m_tint; }

    QSize sizeHint() const override { return {30, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QColor m_tint;
    bool m_keyboardFocus = false; // the ring shows only for focus from the keyboard
};

} // namespace gaugelet
