#pragma once

// Any bytes read as the store catalogue: decoding fails with a description,
// or gives an envelope whose dates are all valid.
#include "store/RemoteCatalogue.h"

namespace gaugelet::fuzz {

inline QString checkCatalogue(const QByteArray& bytes)
{
    auto envelope = RemoteCatalogue::decode(bytes);
    if (!envelope)
        return envelope.error().isEmpty() ? QStringLiteral("a decoding error without a description") : QString();
    if (!envelope->issuedAt.isValid())
        return QStringLiteral("an invalid issuedAt was accepted");
    for (const auto& product : std::as_const(envelope->products)) {
        if (!product.releaseDate.isValid())
            return QStringLiteral("an invalid releaseDate was accepted for ") + product.bundleId;
    }
    return {};
}

} // namespace gaugelet::fuzz
