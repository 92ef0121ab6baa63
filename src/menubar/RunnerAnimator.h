#pragma once

#include "menubar/RunnerKind.h"

#include <QObject>

namespace gaugelet {

// The frame state that every runner view of one provider and one runner kind
// shares: the frame shown, the last load drawn and the frame-rate cap in
// force. Kept per provider by the runner visualizer. The menu bar's own
// animation is played by runner layers, not by this object; nothing steps
// the frame, so views show the first frame. Main thread only.
class RunnerAnimator : public QObject {
    Q_OBJECT
public:
    explicit RunnerAnimator(RunnerKind kind, QObject* parent = nullptr);

    int frame() const { return m_frame; }
    // Publishes the frame (announced before it is stored); an equal value
    // notifies nobody.
    void setFrame(int frame);
    const RunnerKind& kind() const { return m_kind; }
    double lastValue() const { return m_lastValue; }
    // Stores the load clamped to 0...1 (NaN as 0).
    void setLastValue(double value);
    int fpsLimit() const { return m_fpsLimit; }
    void setFpsLimit(int fps) { m_fpsLimit = fps; }
    double nextFrameAt() const { return m_nextFrameAt; }
    void setNextFrameAt(double seconds) { m_nextFrameAt = seconds; }

Q_SIGNALS:
    void frameWillChange(int newFrame);
    void frameChanged();

private:
    int m_frame = 0;
    RunnerKind m_kind;
    double m_lastValue = 0;
    int m_fpsLimit;
    double m_nextFrameAt = 0;
};

} // namespace gaugelet
