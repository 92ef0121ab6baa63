#pragma once

#include <QImage>
#include <QList>
#include <limits>

namespace gaugelet {

// A discrete keyframe animation of a layer's contents: the values are shown
// one after the other, each for duration / count seconds of the layer's local
// time. beginTime 0 means "from the moment it is added" (the layer fills in
// its local time then).
struct KeyframeAnimation {
    QList<QImage> values;
    double duration = 1.0;
    double repeatCount = std::numeric_limits<double>::infinity();
    double beginTime = 0.0;
    bool removedOnCompletion = false;

    // The index of the value shown at elapsed seconds of local time since the
    // animation began; -1 before it begins, after it ended (when removed on
    // completion) or when there is nothing to show.
    int frameIndexAt(double elapsed) const;
};

} // namespace gaugelet
