#pragma once

#include <optional>
#include <vector>

namespace gaugelet {

// NVIDIA's management library, loaded at run time with
// dlopen("libnvidia-ml.so.1") when it is installed; absent otherwise.
class NvmlLibrary {
public:
    // The process's one instance, loaded and initialised on first use.
    static NvmlLibrary& shared();

    bool isAvailable() const { return m_available; }
    // The GPU utilisation in percent of every device; nothing when the
    // library is absent or a call fails.
    std::optional<std::vector<double>> utilization() const;

private:
    NvmlLibrary();
    bool m_available = false;
    void* m_handle = nullptr;
    void* m_getCount = nullptr;
    void* m_getHandle = nullptr;
    void* m_getUtilization = nullptr;
};

} // namespace gaugelet
