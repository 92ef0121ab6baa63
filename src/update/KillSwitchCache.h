#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace gaugelet {

// Where the version gate keeps the last gate document that decoded and the
// time of its fetch.
class KillSwitchCache {
public:
    virtual ~KillSwitchCache() = default;

    virtual std::optional<QByteArray> lastResponse() const = 0;
    virtual void setLastResponse(const std::optional<QByteArray>& body) = 0;
    virtual std::optional<QDateTime> lastFetchAt() const = 0;
    virtual void setLastFetchAt(const std::optional<QDateTime>& at) = 0;
};

} // namespace gaugelet
