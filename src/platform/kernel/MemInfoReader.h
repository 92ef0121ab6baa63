#pragma once

#include "platform/kernel/KernelChangeWatch.h"
#include "platform/kernel/KernelFile.h"
#include "platform/kernel/SysRoot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gaugelet {

// The machine's memory accounting in the categories the memory statistic
// uses, in bytes, from /proc/meminfo (kB x 1024) and zram:
//   total = MemTotal; free = MemFree;
//   wired = SUnreclaim + KernelStack + PageTables + SecPageTables + Percpu
//           + VmallocUsed + Hugetlb;
//   compressed = Zswap + the sum of every zram device's mem_used_total;
//   external (cached) = Buffers + Cached - Shmem + SReclaimable, at least 0;
//   internal (app) = AnonPages + Shmem;
//   swapUsed = SwapTotal - SwapFree, at least 0.
struct VmStatistics {
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    uint64_t wiredBytes = 0;
    uint64_t compressedBytes = 0;
    uint64_t externalBytes = 0;
    uint64_t internalBytes = 0;
    uint64_t swapUsedBytes = 0;

    bool operator==(const VmStatistics&) const = default;
};

class MemInfoReader {
public:
    explicit MemInfoReader(SysRoot root = SysRoot::system());

    // Nothing when /proc/meminfo cannot be read or lacks MemTotal.
    std::optional<VmStatistics> read();

    // The meminfo arithmetic alone, with the zram figure given.
    static std::optional<VmStatistics> parse(std::string_view meminfo, uint64_t zramBytes);
    // The sum of mem_used_total (third field of mm_stat) over block/zram*.
    static uint64_t zramUsedBytes(const SysRoot& root);
    // The same through files kept open by device name. On the machine's own
    // root the devices are listed again only after a block device came or
    // went; on another root (a test's tree) on every call.
    uint64_t zramUsedBytes();

private:
    static bool addMemUsedTotal(std::string_view mmStat, uint64_t& total);

    SysRoot m_root;
    KernelFile m_meminfo;
    std::vector<std::pair<QString, KernelFile>> m_zram;
    std::optional<KernelChangeWatch> m_blockWatch; // the machine's root only
    std::string m_buffer;
    std::string m_scratch;
};

} // namespace gaugelet
