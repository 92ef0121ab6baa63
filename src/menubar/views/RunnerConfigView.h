#pragma once

#include "menubar/RunnerKind.h"
#include "menubar/RunnerVisualizer.h"
#include "menubar/views/SizeSliderConfigView.h"

namespace gaugelet {

// The size setting of one runner visualizer: "Size", a slider of 20 to 40
// whole points and the size as "22pt", with a hover help on the clipping
// beyond the bar's height. It reads "visualizer.<id>.size" (the kind's
// default size when absent) whenever it is shown and, on every change,
// writes the size and posts "runner.size.changed.<id>".
class RunnerConfigView : public SizeSliderConfigView {
    Q_OBJECT
public:
    static constexpr double minimumSize = RunnerVisualizer::minimumSize;
    static constexpr double maximumSize = RunnerVisualizer::maximumSize;
    static inline const QString notificationPrefix = RunnerVisualizer::sizeNotificationPrefix;

    RunnerConfigView(const QString& visualizerId, RunnerKind kind, QWidget* parent = nullptr);

    const RunnerKind& kind() const { return m_kind; }
    static QString helpText();

private:
    RunnerKind m_kind;
};

} // namespace gaugelet
