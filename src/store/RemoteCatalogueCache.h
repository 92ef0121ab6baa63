#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace gaugelet {

// Where the last good copy of the store catalogue is kept: the document's
// bytes exactly as fetched, its 64 raw signature bytes and the time of the
// fetch. Writing none forgets a value.
class RemoteCatalogueCache {
public:
    virtual ~RemoteCatalogueCache() = default;

    virtual std::optional<QByteArray> catalogueData() const = 0;
    virtual void setCatalogueData(const std::optional<QByteArray>& data) = 0;
    virtual std::optional<QByteArray> catalogueSignature() const = 0;
    virtual void setCatalogueSignature(const std::optional<QByteArray>& signature) = 0;
    virtual std::optional<QDateTime> lastFetchAt() const = 0;
    virtual void setLastFetchAt(const std::optional<QDateTime>& date) = 0;
    // Forgets all three.
    virtual void clear() = 0;
};

} // namespace gaugelet
