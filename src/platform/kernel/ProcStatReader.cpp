#include "platform/kernel/ProcStatReader.h"

#include <charconv>

namespace gaugelet {

ProcStatReader::ProcStatReader(SysRoot root) : m_file(root, "proc/stat") {}

bool ProcStatReader::read(std::vector<CpuTicks>& out)
{
    out.clear();
    if (!m_file.readInto(m_buffer))
        return false;
    return parse(m_buffer, out);
}

namespace {

// Parses the next unsigned number after blanks; 0 when the field is missing
// (older kernels print fewer columns).
uint64_t nextField(const char*& p, const char* end)
{
    while (p < end && *p == ' ')
        ++p;
    uint64_t v = 0;
    auto [ptr, ec] = std::from_chars(p, end, v);
    if (ec != std::errc())
        return 0;
    p = ptr;
    return v;
}

} // namespace

bool ProcStatReader::parse(std::string_view text, std::vector<CpuTicks>& out)
{
    out.clear();
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
        if (!lineEnd)
            lineEnd = end;
        // "cpuN user nice system idle iowait irq softirq steal guest guest_nice";
        // the aggregate "cpu " line is skipped.
        if (lineEnd - p > 4 && p[0] == 'c' && p[1] == 'p' && p[2] == 'u' && p[3] >= '0' && p[3] <= '9') {
            const char* q = p + 3;
            int id = 0;
            auto [ptr, ec] = std::from_chars(q, lineEnd, id);
            if (ec == std::errc()) {
                q = ptr;
                const uint64_t user = nextField(q, lineEnd);
                const uint64_t nice = nextField(q, lineEnd);
                const uint64_t system = nextField(q, lineEnd);
                const uint64_t idle = nextField(q, lineEnd);
                const uint64_t iowait = nextField(q, lineEnd);
                const uint64_t irq = nextField(q, lineEnd);
                const uint64_t softirq = nextField(q, lineEnd);
                const uint64_t steal = nextField(q, lineEnd);
                out.push_back(CpuTicks{id, user, system + irq + softirq + steal, idle + iowait, nice});
            }
        } else if (!out.empty()) {
            // The per-processor lines are contiguous; nothing after them matters.
            break;
        }
        p = lineEnd + 1;
    }
    return !out.empty();
}

} // namespace gaugelet
