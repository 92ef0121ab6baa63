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

// Two series (up and down) as smoothed lines over translucent areas,
// scrolling with time; down is painted first, up over it.
class PopupThroughput : public QWidget {
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
    ChartTimeline* timeline() const { return m_timeline; }
    const ChartStrip& strip() const { return m_strip; }

    // Under time placement the newest values run flat to `runTo` (default:
    // the right edge).
    static QList<ChartShape> shapes(const Input& input, QSizeF size, const std::optional<QDateTime>& date,
                                    std::optional<qreal> runTo = std::nullopt);
    // One series' area and line (empty for no values).
    static QList<ChartShape> seriesShapes(const QList<double>& values, const QColor& tint, const Input& input,
                                          QSizeF size, const std::optional<QDateTime>& date,
                                          std::optional<qreal> runTo = std::nullopt);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Input m_input;
    ChartTimeline* m_timeline;
    ChartStrip m_strip;
};

} // namespace gaugelet
