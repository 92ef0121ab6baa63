#pragma once

#include <QWidget>

namespace gaugelet {

// A chart as wide as its column and of a fixed height in points (rounded up
// to whole pixels; a height that is not positive or not finite takes none).
class PopupBandChart : public QWidget {
    Q_OBJECT
public:
    QSize sizeHint() const override { return {120, m_height}; }
    QSize minimumSizeHint() const override { return {1, m_height}; }

protected:
    PopupBandChart(qreal height, QWidget* parent);
    // The input's height: the widget's fixed height follows it.
    void setBandHeight(qreal height);

private:
    int m_height;
};

} // namespace gaugelet
