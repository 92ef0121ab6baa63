#pragma once

#include "store/RemoteCatalogueCache.h"

#include <QPointer>
#include <QString>

namespace gaugelet {

class Defaults;

// The kept catalogue in the user defaults: the document under
// "dev.gaugelet.store.catalogue.cache", the raw signature under
// "dev.gaugelet.store.catalogue.sig" and the fetch time (a date) under
// "dev.gaugelet.store.catalogue.lastFetchAt". A missing or mistyped value
// reads as none.
class UserDefaultsRemoteCatalogueCache final : public RemoteCatalogueCache {
public:
    explicit UserDefaultsRemoteCatalogueCache(Defaults* defaults);

    std::optional<QByteArray> catalogueData() const override;
    void setCatalogueData(const std::optional<QByteArray>& data) override;
    std::optional<QByteArray> catalogueSignature() const override;
    void setCatalogueSignature(const std::optional<QByteArray>& signature) override;
    std::optional<QDateTime> lastFetchAt() const override;
    void setLastFetchAt(const std::optional<QDateTime>& date) override;
    void clear() override;

private:
    QPointer<Defaults> m_defaults;
};

} // namespace gaugelet
