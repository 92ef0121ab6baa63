#pragma once

#include "platform/kernel/KernelFile.h"
#include "platform/kernel/SysRoot.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gaugelet {

// One processor's load tick counters from /proc/stat, folded into the four
// counters the CPU statistic uses: user = user; nice = nice;
// system = system + irq + softirq + steal; idle = idle + iowait.
struct CpuTicks {
    int cpuId = 0;
    uint64_t user = 0;
    uint64_t system = 0;
    uint64_t idle = 0;
    uint64_t nice = 0;

    bool operator==(const CpuTicks&) const = default;
};

// Reads the per-processor "cpuN" lines of /proc/stat in the kernel's order.
// One reader keeps the file open and its read buffer between calls.
class ProcStatReader {
public:
    explicit ProcStatReader(SysRoot root = SysRoot::system());

    // False (out emptied) when /proc/stat cannot be read or holds no cpuN line.
    bool read(std::vector<CpuTicks>& out);

    // The parser alone, for text already in memory.
    static bool parse(std::string_view text, std::vector<CpuTicks>& out);

private:
    KernelFile m_file;
    std::string m_buffer;
};

} // namespace gaugelet
