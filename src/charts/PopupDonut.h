#pragma once

#include "charts/ChartShape.h"

#include <QColor>
#include <QList>
#include <QWidget>

namespace gaugelet {

// A ring chart of shares, clockwise from the top in list order, with a figure
// and an upper-case caption in its centre.
class PopupDonut : public QWidget {
    Q_OBJECT
public:
    struct Input {
        QList<double> segments;
        QList<QColor> tints;
        QString centerLabel;
        QString centerCaption;
        qreal size = 100;
        qreal innerRatio = 0.65;
        qreal inset = 1;
    };

    explicit PopupDonut(QWidget* parent = nullptr);

    void setInput(Input input);
    const Input& input() const { return m_input; }

    // The segments on a canvas of the given size. A segment that is not
    // positive (or not finite) takes no room; the sweeps never pass one full
    // turn, even when negative segments shrink the total.
    static QList<ChartShape> shapes(const Input& input, QSizeF size);
    // The start angle and sweep (radians, clockwise from the x axis) of every
    // segment that takes room, with the index of its segment.
    struct Sweep {
        qsizetype index;
        double start;
        double sweep;
    };
    static QList<Sweep> sweeps(const QList<double>& segments);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Input m_input;
};

} // namespace gaugelet
