#include "store/StoreItem.h"

#include <QHashFunctions>

namespace gaugelet {

size_t qHash(const StoreItem& item, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.id);
    seed = combine(seed, item.displayName);
    seed = combine(seed, item.author);
    seed = combine(seed, item.releaseDate.toMSecsSinceEpoch());
    seed = combine(seed, item.priceCents);
    seed = combine(seed, item.currency);
    seed = combine(seed, rawValue(item.type));
    seed = combine(seed, item.downloadHandle);
    if (item.assetURL) {
        seed = combine(seed, 1);
        seed = combine(seed, *item.assetURL);
    } else {
        seed = combine(seed, 0);
    }
    seed = combine(seed, item.isNSFW);
    return seed;
}

} // namespace gaugelet
