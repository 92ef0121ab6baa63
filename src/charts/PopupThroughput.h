#pragma once

#include "charts/PopupTimeChart.h"

#include <QColor>
#include <QList>

namespace gaugelet {

// Two series (up and down) as smoothed lines over translucent areas,
// scrolling with time; down is painted first, up over it.
class PopupThroughput : public PopupTimeChart {
    Q_OBJECT
public:
    struct Input {
        QList<double> up;
        QList<double> down;
        QList<QDateTime> times;
        QColor upTint;
        QColor downTint;
        double yMagnitude = 1.0;
        double window = 60.0;
        qreal height = 60;
    };

    explicit PopupThroughput(QWidget* parent = nullptr);

    void setInput(Input input);
    const Input& input() const { return m_input; }

    // Under time placement the newest values run flat to `runTo` (default:
    // the right edge).
    static QList<ChartShape> shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                    std::optional<qreal> runTo = std::nullopt);
    // One series' area and line (empty for no values).
    static QList<ChartShape> seriesShapes(const QList<double>& values, const QColor& tint, const Input& input,
                                          QSizeF size, const std::optional<QDateTime>& date,
                                          std::optional<qreal> runTo = std::nullopt);

protected:
    bool slides() const override { return !m_input.times.isEmpty(); }
    QList<ChartShape> frameShapes(QSizeF canvas, const std::optional<QDateTime>& date,
                                  std::optional<qreal> runTo) const override
    {
        return shapes(m_input, canvas, date, runTo);
    }
    // Without a scale or values nothing is drawn.
    bool drawsSomething() const override;

private:
    Input m_input;
};

} // namespace gaugelet
