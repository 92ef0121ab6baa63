#pragma once

#include "charts/ChartShape.h"
#include "charts/ChartStrip.h"
#include "charts/PopupBandChart.h"

#include <QDateTime>
#include <optional>

namespace gaugelet {

class ChartTimeline;

// A band chart whose frames may be placed against the clock: then its picture
// is drawn once per input into a strip and slid left as time passes
// (ChartStrip, ChartTimeline); otherwise the frame is drawn as it stands.
class PopupTimeChart : public PopupBandChart {
    Q_OBJECT
public:
    ChartTimeline* timeline() const { return m_timeline; }
    const ChartStrip& strip() const { return m_strip; }

protected:
    PopupTimeChart(qreal height, QWidget* parent);
    // After a new input of the given height and window (seconds across the
    // width): the picture is drawn again; a running timeline keeps running.
    void inputChanged(qreal height, double window);

    // Whether the frames are placed against the clock.
    virtual bool slides() const = 0;
    // The frame on a canvas at a date (none: no time placement), the newest
    // values running flat to `runTo` (default: the right edge).
    virtual QList<ChartShape> frameShapes(QSizeF canvas, const std::optional<QDateTime>& date,
                                          std::optional<qreal> runTo) const = 0;
    // Whether the placed picture draws anything, so that it has to move. By
    // default a frame is built to see; a chart that can tell from its input
    // alone says so without building one.
    virtual bool drawsSomething() const;

    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ChartTimeline* m_timeline;
    ChartStrip m_strip;
};

} // namespace gaugelet
