#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace gaugelet {

// The redraw schedule of a time-placed chart: repaints its widget up to 30
// times a second, and only while the chart wants it and the widget is shown.
// Hiding the widget (the popover closing) stops the timer; showing it again
// starts it. Asking for a running schedule again never restarts it.
class ChartTimeline : public QObject {
    Q_OBJECT
public:
    // At least 1/30 s between frames (33.3 ms), so never above 30 fps.
    static constexpr int intervalMs = 34;

    explicit ChartTimeline(QWidget* widget);

    // Whether the chart currently draws against the clock.
    void setWanted(bool wanted);
    bool isWanted() const { return m_wanted; }
    bool isRunning() const { return m_timer.isActive(); }
    // How often the timer was started (tests check it is not restarted).
    int startCount() const { return m_starts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync();

    QWidget* m_widget;
    QTimer m_timer;
    bool m_wanted = false;
    int m_starts = 0;
};

} // namespace gaugelet
