#pragma once

// Any bytes read as the stored alarm list: decoding fails with a description,
// or gives alarms that encode and decode to themselves.
#include "alarms/Alarm.h"

namespace gaugelet::fuzz {

inline QString checkAlarmList(const QByteArray& bytes)
{
    auto alarms = Alarm::decodeList(bytes);
    if (!alarms)
        return alarms.error().describe().isEmpty() ? QStringLiteral("a decoding error without a description") : QString();
    auto encoded = Alarm::encodeList(*alarms);
    if (!encoded)
        return QStringLiteral("decoded alarms do not encode: ") + encoded.error().describe();
    auto again = Alarm::decodeList(*encoded);
    if (!again)
        return QStringLiteral("encoded alarms do not decode: ") + again.error().describe();
    if (*again != *alarms)
        return QStringLiteral("alarms change through encoding: ") + QString::fromUtf8(*encoded);
    return {};
}

} // namespace gaugelet::fuzz
