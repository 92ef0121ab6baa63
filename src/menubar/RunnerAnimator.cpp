#include "menubar/RunnerAnimator.h"

#include "platform/core/MainThread.h"
#include "stats/FPSLimit.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

RunnerAnimator::RunnerAnimator(RunnerKind kind, QObject* parent)
    : QObject(parent)
    , m_kind(std::move(kind))
    , m_fpsLimit(FPSLimit::framesPerSecond(FPSLimit::current()))
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

void RunnerAnimator::setFrame(int frame)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (frame == m_frame)
        return;
    Q_EMIT frameWillChange(frame);
    m_frame = frame;
    Q_EMIT frameChanged();
}

void RunnerAnimator::setLastValue(double value)
{
    m_lastValue = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

} // namespace gaugelet
