#pragma once

#include "charts/ChartShape.h"
#include "charts/ChartStrip.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QWidget>
#include <optional>

namespace gaugelet {

class ChartTimeline;

// A minute of time buckets, each a stack of component values (bottom first),
// as stacked bars or as flowing stacked areas that scroll with time.
class PopupBars : public QWidget {
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
    ChartTimeline* timeline() const { return m_timeline; }
    const ChartStrip& strip() const { return m_strip; }

    // The frame on a canvas of the given size at the given date (none: no
    // time placement).
    static QList<ChartShape> shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date);
    static QList<ChartShape> barShapes(const Input& input, QSizeF size);
    // Under time placement the newest values run flat to `runTo` (default:
    // the right edge).
    static QList<ChartShape> flowingShapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                           std::optional<qreal> runTo = std::nullopt);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool drawsAgainstClock() const { return m_input.flowing && !m_input.times.isEmpty(); }
    // Whether the picture changes as time passes.
    bool pictureMoves() const;

    Input m_input;
    ChartTimeline* m_timeline;
    ChartStrip m_strip;
};

} // namespace gaugelet
