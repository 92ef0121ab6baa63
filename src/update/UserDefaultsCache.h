#pragma once

#include "update/KillSwitchCache.h"

#include <QString>

namespace gaugelet {

class Defaults;

// The gate's kept copy in the user defaults.
class UserDefaultsCache final : public KillSwitchCache {
public:
    explicit UserDefaultsCache(Defaults* defaults);

    std::optional<QByteArray> lastResponse() const override;
    void setLastResponse(const std::optional<QByteArray>& body) override;
    std::optional<QDateTime> lastFetchAt() const override;
    void setLastFetchAt(const std::optional<QDateTime>& at) override;

    Defaults* defaults;
};

} // namespace gaugelet
