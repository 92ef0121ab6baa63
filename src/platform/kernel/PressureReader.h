#pragma once

#include "platform/kernel/KernelFile.h"
#include "platform/kernel/SysRoot.h"

#include <optional>
#include <string_view>

namespace gaugelet {

// The ten-second averages of /proc/pressure/memory (pressure stall
// information): the share of time in which some, or all, runnable tasks
// waited for memory, in percent.
struct PressureAverages {
    double someAvg10 = 0;
    double fullAvg10 = 0;

    bool operator==(const PressureAverages&) const = default;
};

class PressureReader {
public:
    // Nothing when the file is missing (kernel without PSI) or unreadable.
    static std::optional<PressureAverages> readMemory(const SysRoot& root);
    // The same through a file kept open (proc/pressure/memory) and a reused buffer.
    static std::optional<PressureAverages> read(KernelFile& file, std::string& buf);
    static std::optional<PressureAverages> parse(std::string_view text);
};

} // namespace gaugelet
