#pragma once

#include <QDateTime>
#include <QObject>

class QWidget;

namespace gaugelet {

// The redraw schedule of a time-placed chart. Its picture slides left by
// width × device pixel ratio / window device pixels a second, in whole
// device pixels (ChartStrip), so it is repainted (its own rectangle only)
// once the picture has moved by a device pixel since it was last shown, never
// more than 30 times a second (see ChartFrameClock), and only while the chart
// wants it and is shown: hiding the widget (the popover closing) takes it off
// the clock, showing it again puts it back. Asking for a running schedule
// again never restarts it.
class ChartTimeline : public QObject {
    Q_OBJECT
public:
    explicit ChartTimeline(QWidget* widget);
    ~ChartTimeline() override;

    // Whether the chart's picture moves with the clock: it draws against the
    // clock and draws something at all.
    void setWanted(bool wanted);
    bool isWanted() const { return m_wanted; }
    // The seconds shown across the chart's width.
    void setWindow(double seconds);
    double window() const { return m_window; }
    // Whether the schedule is on the frame clock.
    bool isRunning() const { return m_running; }
    // How often the schedule went on the clock (tests check it is not restarted).
    int startCount() const { return m_starts; }
    // How many repaints the clock asked for.
    int frameCount() const { return m_frames; }

    // The date to draw the next frame at: now, remembered as the date of the
    // picture on screen. The chart's paintEvent takes its date from here.
    QDateTime frameDate();

    // Device pixels the picture slides per second (0 when it cannot move).
    double pixelsPerSecond() const;
    // Milliseconds the picture takes to slide a device pixel, rounded up;
    // the largest qint64 when it does not move.
    qint64 stepMs() const;
    // Whether the picture of the given time (ms since the epoch) has moved
    // by a device pixel from the one on screen.
    bool isDue(qint64 nowMs) const;
    // Asks for a repaint of the chart's rectangle with the picture of the
    // given frame time; it counts as the picture on screen from now on.
    void requestFrame(qint64 frameMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync();

    QWidget* m_widget;
    bool m_wanted = false;
    bool m_running = false;
    double m_window = 60.0;
    qint64 m_shownMs = 0; // the time of the picture on screen (painted or asked for)
    bool m_framePending = false;
    int m_starts = 0;
    int m_frames = 0;
};

} // namespace gaugelet
