#pragma once

#include "platform/core/MainThreadObserver.h"

#include <QString>
#include <functional>

namespace gaugelet {

// A visualizer's size setting, "visualizer.<id>.size": its default is
// registered, and the value is read, clamped to the visualizer's range, at
// once and again whenever "<notificationPrefix><id>" is posted (the size
// slider posts it after each change). Main thread only.
class VisualizerSizeSetting {
public:
    struct Range {
        double minimum;
        double maximum;
        double defaultValue;
    };

    // didReload runs after each later read, so the owner can drop what it drew
    // at the old size.
    VisualizerSizeSetting(const QString& visualizerId, Range range, const QString& notificationPrefix,
                          std::function<void()> didReload = {});

    double value() const { return m_value; }

    // The stored size with the default, clamped to the range. The slider keeps
    // the setting within it, but a restored or hand-made value may be anything:
    // 1e6 must not allocate a giant bitmap, 0 must not make an empty frame. A
    // default that is not a finite number reads as the minimum.
    static double stored(const QString& visualizerId, Range range);

private:
    void reload();

    QString m_visualizerId;
    Range m_range;
    std::function<void()> m_didReload;
    double m_value = 0;
    MainThreadObserver m_observer;
};

} // namespace gaugelet
