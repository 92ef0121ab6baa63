// The property is checkCatalogue's (RemoteCatalogueCheck.h).
#include "RemoteCatalogueCheck.h"
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gaugelet::fuzz::runCheck(data, size, gaugelet::fuzz::checkCatalogue);
}
