#pragma once

#include "platform/statusitem/Layer.h"

#include <QImage>
#include <QList>
#include <QString>
#include <optional>

namespace gaugelet {

// Plays a sprite's frames in the status item as a looping discrete keyframe
// animation of its contents. The frames are installed once per frame list;
// afterwards only the layer's speed follows the statistic (one pass through
// the frames takes the cycle duration), and the phase survives a speed change.
// Contents are drawn aspect-fit with nearest-neighbour filtering so pixel art
// stays sharp.
class RunnerLayer : public Layer {
public:
    static inline const QString animationKey = QStringLiteral("runner.contents");

    static std::shared_ptr<RunnerLayer> create() { return std::shared_ptr<RunnerLayer>(new RunnerLayer); }

    // Installs the frames (when the list is new) and sets the speed for the
    // cycle duration; an empty list or an unusable duration clears the layer.
    void apply(const QList<QImage>& frames, double cycleDuration);
    // The keyframe animation of the frames, replacing any earlier one.
    void install(const QList<QImage>& frames);

    std::optional<qint64> lastFramesIdentity() const { return m_lastFramesIdentity; }
    float lastSpeed() const { return m_lastSpeed; }

    // Speed changes smaller than this are ignored.
    static constexpr float speedTolerance = 0.02f;

protected:
    RunnerLayer();

private:
    void clear();

    std::optional<qint64> m_lastFramesIdentity;
    float m_lastSpeed = 1.0f;
};

} // namespace gaugelet
