#pragma once

#include "charts/PopupTimeChart.h"

#include <QColor>
#include <QList>

namespace gaugelet {

// A minute of time buckets, each a stack of component values (bottom first),
// as stacked bars or as flowing stacked areas that scroll with time.
class PopupBars : public PopupTimeChart {
    Q_OBJECT
public:
    struct Input {
        QList<QList<double>> buckets;
        QList<QDateTime> times;
        QList<QColor> tints;
        double yMax = 1.0;
        double window = 60.0;
        qreal height = 60;
        bool flowing = false;
    };

    explicit PopupBars(QWidget* parent = nullptr);

    // Updates the chart in place; a running timeline keeps running.
    void setInput(Input input);
    const Input& input() const { return m_input; }

    // The frame on a canvas of the given size at the given date (none: no
    // time placement). Under time placement the newest values run flat to
    // `runTo` (default: the right edge).
    static QList<ChartShape> shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                    std::optional<qreal> runTo = std::nullopt);
    static QList<ChartShape> barShapes(const Input& input, QSizeF size);
    static QList<ChartShape> flowingShapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                           std::optional<qreal> runTo = std::nullopt);

protected:
    bool slides() const override { return m_input.flowing && !m_input.times.isEmpty(); }
    QList<ChartShape> frameShapes(QSizeF canvas, const std::optional<QDateTime>& date,
                                  std::optional<qreal> runTo) const override
    {
        return shapes(m_input, canvas, date, runTo);
    }

private:
    Input m_input;
};

} // namespace gaugelet
