#pragma once

// Any bytes read as the stored pin list: decoding fails with a description,
// or gives pins that encode and decode to themselves.
#include "menubar/Pin.h"

namespace gaugelet::fuzz {

inline QString checkPinList(const QByteArray& bytes)
{
    auto pins = Pin::decodeList(bytes);
    if (!pins)
        return pins.error().describe().isEmpty() ? QStringLiteral("a decoding error without a description") : QString();
    const QByteArray encoded = Pin::encodeList(*pins);
    auto again = Pin::decodeList(encoded);
    if (!again)
        return QStringLiteral("encoded pins do not decode: ") + again.error().describe();
    if (*again != *pins)
        return QStringLiteral("pins change through encoding: ") + QString::fromUtf8(encoded);
    return {};
}

} // namespace gaugelet::fuzz
