#include "store/StoreLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcStoreCatalogue, "store-catalogue")
GAUGELET_DEFINE_LOG(lcStoreClient, "store-client")
GAUGELET_DEFINE_LOG(lcStoreCache, "store-cache")
} // namespace gaugelet
