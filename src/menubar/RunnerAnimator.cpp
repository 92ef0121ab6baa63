#include "menubar/RunnerAnimator.h"

#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
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
    publishIfChanged(this, m_frame, frame, &RunnerAnimator::frameWillChange, &RunnerAnimator::frameChanged);
}

void RunnerAnimator::setLastValue(double value)
{
    m_lastValue = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

} // namespace gaugelet
