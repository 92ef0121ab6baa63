#pragma once

#include "platform/core/Log.h"

namespace gaugelet {
GAUGELET_DECLARE_LOG(lcStoreCatalogue); // "store-catalogue": the signed remote catalogue
GAUGELET_DECLARE_LOG(lcStoreClient);    // "store-client": listings and bundle downloads
GAUGELET_DECLARE_LOG(lcStoreCache);     // "store-cache": the downloaded-archive cache
} // namespace gaugelet
