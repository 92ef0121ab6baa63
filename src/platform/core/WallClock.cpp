#include "platform/core/WallClock.h"

#include "platform/core/ClockSourceOverride.h"

namespace gaugelet {

namespace {

ClockSourceOverride<QDateTime> testSource;

} // namespace

QDateTime WallClock::now()
{
    return testSource.now([] { return QDateTime::currentDateTimeUtc(); });
}

void WallClock::setSourceForTesting(std::function<QDateTime()> source)
{
    testSource.set(std::move(source));
}

} // namespace gaugelet
