#pragma once

#include "store/BundleManifest.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>

namespace gaugelet {

// One catalogue entry as the store shows it, built by a store client. Its id
// is the id of the bundle's manifest, so an installed bundle and its
// catalogue entry are matched by it; lists of items are keyed by it.
struct StoreItem {
    QString id;
    QString displayName;
    QString author;
    QDateTime releaseDate;
    qint64 priceCents = 0; // hundredths of the currency unit; 0 is free
    QString currency;
    BundleManifest::BundleType type = BundleManifest::BundleType::runnerSprite;
    // The client's own handle for fetching the archive (the remote client
    // keeps the bundle id, the local-folder client the file path).
    QString downloadHandle;
    // Where the archive can be downloaded; none when the client has no
    // download location for it.
    std::optional<QUrl> assetURL;
    bool isNSFW = false;

    bool operator==(const StoreItem&) const = default;
};

// Combines every field in declaration order; the type by its raw string and
// the download address behind a 0/1 discriminator.
size_t qHash(const StoreItem& item, size_t seed = 0);

} // namespace gaugelet
