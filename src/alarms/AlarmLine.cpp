#include "alarms/AlarmLine.h"

#include "alarms/Alarm.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

namespace gaugelet {

QString alarmLine(const Alarm& alarm, const StatRegistry* registry)
{
    StatProvider* provider = registry ? registry->provider(alarm.providerId) : nullptr;
    const QString name = provider ? provider->displayName() : alarm.providerId;
    const QString sign = alarm.direction == Alarm::Direction::above ? QStringLiteral(" \u2265 ") : QStringLiteral(" \u2264 ");
    return name + sign + QString::number(saturatingRound(alarm.threshold * 100.0)) + QLatin1Char('%');
}

} // namespace gaugelet
