#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace gaugelet {

// How the version gate gets its document: one blocking fetch of a URL with a
// time-out, returning the body or an error.
class KillSwitchFetcher {
public:
    struct FetchError {
        enum class Kind {
            unknown,             // the catch-all before anything answered
            transport,           // the connection failed; detail says how
            badServerResponse,   // an HTTP status outside 200 to 299
            timedOut,            // no complete answer in time
            cannotParseResponse, // an answer without a body
        };
        Kind kind = Kind::unknown;
        QString detail;
        int statusCode = 0;

        // The full textual description, for the gate's log.
        QString describe() const;
    };

    virtual ~KillSwitchFetcher() = default;
    virtual Result<QByteArray, FetchError> fetch(const QUrl& url, double timeoutSeconds) = 0;
};

} // namespace gaugelet
