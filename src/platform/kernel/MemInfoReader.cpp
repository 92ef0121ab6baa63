#include "platform/kernel/MemInfoReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace gaugelet {

MemInfoReader::MemInfoReader(SysRoot root) : m_root(std::move(root)), m_meminfo(m_root, "proc/meminfo")
{
    if (m_root.root() == "/")
        m_blockWatch.emplace(KernelChangeWatch::blockDevices());
}

namespace {

enum Field {
    MemTotal, MemFree, Buffers, Cached, Shmem, SReclaimable, SUnreclaim, KernelStack, PageTables,
    SecPageTables, Percpu, VmallocUsed, Hugetlb, Zswap, AnonPages, SwapTotal, SwapFree, FieldCount
};

constexpr std::array<std::string_view, FieldCount> fieldNames = {
    "MemTotal", "MemFree", "Buffers", "Cached", "Shmem", "SReclaimable", "SUnreclaim", "KernelStack",
    "PageTables", "SecPageTables", "Percpu", "VmallocUsed", "Hugetlb", "Zswap", "AnonPages", "SwapTotal",
    "SwapFree",
};

uint64_t subtractOrZero(uint64_t a, uint64_t b) { return a > b ? a - b : 0; }

} // namespace

std::optional<VmStatistics> MemInfoReader::parse(std::string_view text, uint64_t zramBytes)
{
    std::array<uint64_t, FieldCount> kb{};
    std::array<bool, FieldCount> seen{};
    size_t pos = 0;
    while (pos < text.size()) {
        size_t lineEnd = text.find('\n', pos);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::string_view line = text.substr(pos, lineEnd - pos);
        pos = lineEnd + 1;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon);
        for (int f = 0; f < FieldCount; ++f) {
            if (seen[f] || key != fieldNames[f])
                continue;
            const char* p = line.data() + colon + 1;
            const char* e = line.data() + line.size();
            while (p < e && *p == ' ')
                ++p;
            uint64_t v = 0;
            if (std::from_chars(p, e, v).ec == std::errc()) {
                kb[f] = v;
                seen[f] = true;
            }
            break;
        }
    }
    if (!seen[MemTotal])
        return std::nullopt;

    // Sizes are in kB; a hostile file could overflow the multiplication, so
    // saturate instead of wrapping.
    auto bytes = [&](Field f) -> uint64_t {
        const uint64_t v = kb[f];
        return v > (UINT64_MAX >> 10) ? UINT64_MAX : v << 10;
    };
    auto sum = [](std::initializer_list<uint64_t> parts) {
        uint64_t s = 0;
        for (uint64_t p : parts)
            s = (UINT64_MAX - s < p) ? UINT64_MAX : s + p;
        return s;
    };

    VmStatistics s;
    s.totalBytes = bytes(MemTotal);
    s.freeBytes = bytes(MemFree);
    s.wiredBytes = sum({bytes(SUnreclaim), bytes(KernelStack), bytes(PageTables), bytes(SecPageTables),
                        bytes(Percpu), bytes(VmallocUsed), bytes(Hugetlb)});
    s.compressedBytes = sum({bytes(Zswap), zramBytes});
    s.externalBytes = subtractOrZero(sum({bytes(Buffers), bytes(Cached), bytes(SReclaimable)}), bytes(Shmem));
    s.internalBytes = sum({bytes(AnonPages), bytes(Shmem)});
    s.swapUsedBytes = subtractOrZero(bytes(SwapTotal), bytes(SwapFree));
    return s;
}

bool MemInfoReader::addMemUsedTotal(std::string_view mmStat, uint64_t& total)
{
    // orig_data_size compr_data_size mem_used_total ...
    const char* p = mmStat.data();
    const char* e = p + mmStat.size();
    uint64_t fields[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        while (p < e && (*p == ' ' || *p == '\t'))
            ++p;
        auto [ptr, ec] = std::from_chars(p, e, fields[i]);
        if (ec != std::errc())
            return false;
        p = ptr;
    }
    total += fields[2];
    return true;
}

uint64_t MemInfoReader::zramUsedBytes(const SysRoot& root)
{
    uint64_t total = 0;
    std::string buf;
    for (const QString& name : root.list("sys/block")) {
        if (name.startsWith(QLatin1String("zram")) && root.readInto("sys/block/" + name.toStdString() + "/mm_stat", buf))
            addMemUsedTotal(buf, total);
    }
    return total;
}

uint64_t MemInfoReader::zramUsedBytes()
{
    uint64_t total = 0;
    if (m_blockWatch && !m_blockWatch->changed()) {
        for (auto& [name, file] : m_zram) {
            if (file.readInto(m_scratch))
                addMemUsedTotal(m_scratch, total);
        }
        return total;
    }
    std::vector<std::pair<QString, KernelFile>> kept;
    for (const QString& name : m_root.list("sys/block")) {
        if (!name.startsWith(QLatin1String("zram")))
            continue;
        auto it = std::find_if(m_zram.begin(), m_zram.end(), [&](const auto& entry) { return entry.first == name; });
        KernelFile file = it != m_zram.end() ? std::move(it->second)
                                             : KernelFile(m_root, "sys/block/" + name.toStdString() + "/mm_stat");
        if (file.readInto(m_scratch))
            addMemUsedTotal(m_scratch, total);
        kept.emplace_back(name, std::move(file));
    }
    m_zram = std::move(kept);
    return total;
}

std::optional<VmStatistics> MemInfoReader::read()
{
    if (!m_meminfo.readInto(m_buffer))
        return std::nullopt;
    return parse(m_buffer, zramUsedBytes());
}

} // namespace gaugelet
