#pragma once

#include <QWidget>

namespace gaugelet {

// A thin rule in the separator colour: horizontal (the full width, one pixel
// high) or vertical (one pixel wide, at a given height in points).
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);
    explicit Divider(QWidget* parent) : Divider(Qt::Horizontal, parent) {}
    // A vertical rule of a fixed height in design points (scaled with the font).
    static Divider* vertical(qreal heightPoints, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
};

} // namespace gaugelet
