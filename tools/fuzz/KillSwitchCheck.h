#pragma once

// Any bytes read as the version gate's document: decoding fails with a
// description, or gives a payload, the same one each time.
#include "update/KillSwitch.h"

namespace gaugelet::fuzz {

inline QString checkGatePayload(const QByteArray& bytes)
{
    auto payload = KillSwitch::Payload::decode(bytes);
    if (!payload)
        return payload.error().describe().isEmpty() ? QStringLiteral("a decoding error without a description") : QString();
    auto again = KillSwitch::Payload::decode(bytes);
    if (!again || *again != *payload)
        return QStringLiteral("the same document decodes differently");
    return {};
}

} // namespace gaugelet::fuzz
