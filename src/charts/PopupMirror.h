#pragma once

#include "charts/ChartShape.h"
#include "charts/PopupBandChart.h"

#include <QColor>
#include <QList>

namespace gaugelet {

// Two series as bars mirrored about a centre line: up rises above it, down
// hangs below it, bar i of each on the same slot.
class PopupMirror : public PopupBandChart {
    Q_OBJECT
public:
    struct Input {
        QList<double> up;
        QList<double> down;
        QColor upTint;
        QColor downTint;
        double yMagnitude = 1.0;
        qreal height = 60;
        qreal barGap = 1;
    };

    explicit PopupMirror(QWidget* parent = nullptr);

    void setInput(Input input);
    const Input& input() const { return m_input; }

    // The frame; lineColour is the centre line's (secondary at opacity 0.3).
    static QList<ChartShape> shapes(const Input& input, QSizeF size, const QColor& lineColour);
    static qreal centreY(qreal height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Input m_input;
};

} // namespace gaugelet
