#include "platform/kernel/NvmlLibrary.h"

#include <dlfcn.h>

namespace gaugelet {

namespace {
// The few NVML declarations used, as the library's public ABI defines them.
using nvmlReturn_t = int;
using nvmlDevice_t = void*;
struct nvmlUtilization_t {
    unsigned int gpu;
    unsigned int memory;
};
using InitFn = nvmlReturn_t (*)();
using CountFn = nvmlReturn_t (*)(unsigned int*);
using HandleFn = nvmlReturn_t (*)(unsigned int, nvmlDevice_t*);
using UtilizationFn = nvmlReturn_t (*)(nvmlDevice_t, nvmlUtilization_t*);
} // namespace

NvmlLibrary& NvmlLibrary::shared()
{
    static NvmlLibrary library;
    return library;
}

NvmlLibrary::NvmlLibrary()
{
    m_handle = ::dlopen("libnvidia-ml.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        return;
    auto init = reinterpret_cast<InitFn>(::dlsym(m_handle, "nvmlInit_v2"));
    m_getCount = ::dlsym(m_handle, "nvmlDeviceGetCount_v2");
    m_getHandle = ::dlsym(m_handle, "nvmlDeviceGetHandleByIndex_v2");
    m_getUtilization = ::dlsym(m_handle, "nvmlDeviceGetUtilizationRates");
    m_available = init && m_getCount && m_getHandle && m_getUtilization && init() == 0;
}

std::optional<std::vector<double>> NvmlLibrary::utilization() const
{
    if (!m_available)
        return std::nullopt;
    unsigned int count = 0;
    if (reinterpret_cast<CountFn>(m_getCount)(&count) != 0)
        return std::nullopt;
    std::vector<double> values;
    for (unsigned int i = 0; i < count; ++i) {
        nvmlDevice_t device = nullptr;
        nvmlUtilization_t rates{};
        if (reinterpret_cast<HandleFn>(m_getHandle)(i, &device) != 0)
            continue;
        if (reinterpret_cast<UtilizationFn>(m_getUtilization)(device, &rates) != 0)
            continue;
        values.push_back(double(rates.gpu));
    }
    return values;
}

} // namespace gaugelet
