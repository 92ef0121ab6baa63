#include "platform/core/MainThread.h"
#include "stats/CPUProvider.h"
#include "stats/GPUProvider.h"
#include "stats/MemoryProvider.h"
#include "stats/NetworkProvider.h"
#include "stats/StatRegistry.h"

namespace gaugelet {

std::unique_ptr<StatRegistry> StatRegistry::makeDefaultRegistry()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Providers providers;
    providers.push_back(std::make_shared<CPUProvider>());
    providers.push_back(std::make_shared<GPUProvider>());
    providers.push_back(std::make_shared<MemoryProvider>());
    providers.push_back(std::make_shared<NetworkProvider>());
    return std::make_unique<StatRegistry>(std::move(providers));
}

} // namespace gaugelet
