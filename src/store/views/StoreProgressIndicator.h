#pragma once

#include <QTimer>
#include <QWidget>

namespace gaugelet {

// The small spinning progress indicator of a store row whose install runs.
// It turns only while it is visible.
class StoreProgressIndicator : public QWidget {
    Q_OBJECT

public:
    explicit StoreProgressIndicator(QWidget* parent = nullptr);

    bool isSpinning() const { return m_timer.isActive(); }
    QSize sizeHint() const override { return {16, 16}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace gaugelet
