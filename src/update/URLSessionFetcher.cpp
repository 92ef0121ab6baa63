#include "update/URLSessionFetcher.h"

#include "platform/net/HttpFetch.h"
#include "update/KillSwitch.h"

namespace gaugelet {

Result<QByteArray, KillSwitchFetcher::FetchError> URLSessionFetcher::fetch(const QUrl& url, double timeoutSeconds)
{
    HttpFetch::Request request;
    request.url = url;
    request.timeoutSeconds = timeoutSeconds;
    request.maxBodyBytes = KillSwitch::maxDocumentBytes;
    request.requireHttps = true;

    auto outcome = HttpFetch::getBlocking(request, timeoutSeconds + waitMarginSeconds);
    if (!outcome) {
        const auto& error = outcome.error();
        if (error.kind == HttpFetch::FetchError::Kind::timedOut)
            return fail(FetchError{FetchError::Kind::timedOut, error.detail, 0});
        return fail(FetchError{FetchError::Kind::transport, error.fullDescription(), 0});
    }
    const int status = outcome->statusCode;
    if (status < 200 || status > 299)
        return fail(FetchError{FetchError::Kind::badServerResponse, {}, status});
    return std::move(outcome).value().body;
}

} // namespace gaugelet
