#pragma once

#include "platform/kernel/SysRoot.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace gaugelet {

// One accelerator's utilisation in percent (0 to 100).
struct GpuUtilization {
    double device = 0;
    double renderer = 0;

    bool operator==(const GpuUtilization&) const = default;
};

// Reads the utilisation of every GPU under class/drm/card*/device:
// - amdgpu: device = gpu_busy_percent, renderer = the gfx activity of
//   gpu_metrics; a figure the card lacks is 0, so the card contributes only
//   the one it has;
// - i915 / xe: busy = 1 - (delta of the rc6 / idle residency) / delta t,
//   both figures; the first reading of a card only sets the baseline;
// - nvidia: through NVML, when at least one NVIDIA card is awake.
// A card in runtime suspend is never read, so sampling never wakes it.
// Stateful (the residency baselines), so one reader per sampler.
class GpuReader {
public:
    // The GPU utilisation of every NVML device, or nothing.
    using NvmlQuery = std::function<std::optional<std::vector<double>>()>;
    using Clock = std::function<double()>; // monotonic seconds

    explicit GpuReader(SysRoot root = SysRoot::system(), NvmlQuery nvml = {}, Clock clock = {});

    // The system's NVML, loaded on first use.
    static NvmlQuery systemNvml();

    std::vector<GpuUtilization> read();

    // The average gfx activity (percent) of an amdgpu gpu_metrics blob, or
    // nothing for an unknown layout or an unset figure.
    static std::optional<double> gfxActivityFromMetrics(const QByteArray& blob);

private:
    struct Residency {
        double residencyMs = 0;
        double at = 0;
    };
    std::optional<GpuUtilization> readIntel(const QString& card, const std::string& base);

    SysRoot m_root;
    NvmlQuery m_nvml;
    Clock m_clock;
    QHash<QString, Residency> m_residency;
    std::string m_buffer;
};

} // namespace gaugelet
