#include "update/KillSwitchFetcher.h"

namespace gaugelet {

QString KillSwitchFetcher::FetchError::describe() const
{
    switch (kind) {
    case Kind::unknown:
        return QStringLiteral("unknown: the request did not complete");
    case Kind::transport:
        return QStringLiteral("transport: ") + detail;
    case Kind::badServerResponse:
        return QStringLiteral("badServerResponse: HTTP %1").arg(statusCode);
    case Kind::timedOut:
        return QStringLiteral("timedOut: The request timed out.")
            + (detail.isEmpty() ? QString() : QStringLiteral(" (") + detail + QStringLiteral(")"));
    case Kind::cannotParseResponse:
        return QStringLiteral("cannotParseResponse: the response had no body");
    }
    return QStringLiteral("unknown");
}

} // namespace gaugelet
