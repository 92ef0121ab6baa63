#pragma once

#include "update/KillSwitchFetcher.h"

namespace gaugelet {

// The gate's network fetcher: one blocking HTTPS GET with a fresh network
// manager on a worker thread, no local cache, a 1 MiB body cap, and a wait of
// at most the time-out plus 0.5 s. A late answer after the wait is dropped.
class URLSessionFetcher final : public KillSwitchFetcher {
public:
    static constexpr double waitMarginSeconds = 0.5;

    Result<QByteArray, FetchError> fetch(const QUrl& url, double timeoutSeconds) override;
};

} // namespace gaugelet
