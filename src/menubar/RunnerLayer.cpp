#include "menubar/RunnerLayer.h"

#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"

#include <cmath>
#include <limits>

namespace gaugelet {

RunnerLayer::RunnerLayer()
{
    setContentsGravity(ContentsGravity::resizeAspect);
    setMagnificationFilter(ContentsFilter::nearest);
    setMinificationFilter(ContentsFilter::nearest);
    setMasksToBounds(false);
}

void RunnerLayer::clear()
{
    removeAnimation(animationKey);
    setContents(QImage());
    setSpeed(1.0f);
    setBeginTime(0);
    setTimeOffset(0);
    m_lastFramesIdentity.reset();
    m_lastSpeed = 1.0f;
}

void RunnerLayer::apply(const QList<QImage>& frames, double cycleDuration)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // A duration so short that its speed is no finite float would make the
    // layer's time infinite; it is as unusable as a zero duration.
    const double speed = cycleDuration > 0 ? 1.0 / cycleDuration : 0.0;
    if (frames.isEmpty() || !std::isfinite(cycleDuration) || !(cycleDuration > 0) || !std::isfinite(speed)
        || speed > double(std::numeric_limits<float>::max())) {
        clear();
        return;
    }

    const qint64 identity = frames.first().cacheKey();
    if (m_lastFramesIdentity != identity || !animation(animationKey)) {
        setSpeed(1.0f);
        setBeginTime(0);
        setTimeOffset(0);
        install(frames);
        m_lastFramesIdentity = identity;
        m_lastSpeed = 1.0f;
    }

    const float newSpeed = float(speed);
    if (std::fabs(newSpeed - m_lastSpeed) < speedTolerance)
        return;
    const double local = localTime();
    // The parent's time now (the media clock for a layer of the status item),
    // so that the local time continues from `local` at the new speed.
    const double parentNow = superlayer() ? superlayer()->localTime() : MediaClock::now();
    setSpeed(newSpeed);
    setBeginTime(parentNow);
    setTimeOffset(local);
    m_lastSpeed = newSpeed;
}

void RunnerLayer::install(const QList<QImage>& frames)
{
    KeyframeAnimation animation;
    animation.values = frames;
    animation.duration = 1.0;
    animation.repeatCount = std::numeric_limits<double>::infinity();
    animation.removedOnCompletion = false;
    setContents(frames.isEmpty() ? QImage() : frames.first());
    removeAnimation(animationKey);
    addAnimation(std::move(animation), animationKey);
}

} // namespace gaugelet
