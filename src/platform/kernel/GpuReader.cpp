#include "platform/kernel/GpuReader.h"

#include "platform/core/MediaClock.h"
#include "platform/kernel/NvmlLibrary.h"

#include <QtEndian>
#include <algorithm>

namespace gaugelet {

GpuReader::GpuReader(SysRoot root, NvmlQuery nvml, Clock clock)
    : m_root(std::move(root)), m_nvml(std::move(nvml)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return MediaClock::now(); };
}

GpuReader::NvmlQuery GpuReader::systemNvml()
{
    return [] { return NvmlLibrary::shared().utilization(); };
}

std::optional<double> GpuReader::gfxActivityFromMetrics(const QByteArray& blob)
{
    // metrics_table_header: u16 structure_size, u8 format_revision, u8 content_revision.
    if (blob.size() < 4)
        return std::nullopt;
    const auto* data = reinterpret_cast<const uchar*>(blob.constData());
    const int format = data[2];
    const int content = data[3];
    qsizetype offset = -1;
    if (format == 1 && content == 0)
        offset = 28; // header, u64 clock counter (aligned to 8), six u16 temperatures
    else if (format == 1 && content >= 1 && content <= 3)
        offset = 16; // header, six u16 temperatures
    else if (format == 2 && content == 0)
        offset = 40; // header, u64 clock counter (aligned to 8), u16 gfx, soc, core[8], l3[2]
    else if (format == 2 && content >= 1 && content <= 3)
        offset = 28; // header, u16 gfx, soc, core[8], l3[2]
    if (offset < 0 || blob.size() < offset + 2)
        return std::nullopt;
    const quint16 value = qFromLittleEndian<quint16>(data + offset);
    if (value == 0xFFFF)
        return std::nullopt; // not reported by this part
    return std::clamp(double(value), 0.0, 100.0);
}

std::optional<GpuUtilization> GpuReader::readIntel(const QString& card, const std::string& base)
{
    // i915: card/power/rc6_residency_ms; xe: device/tile0/gt0/gtidle/idle_residency_ms.
    std::optional<unsigned long long> residency = m_root.readNumber(base + "/power/rc6_residency_ms");
    if (!residency)
        residency = m_root.readNumber(base + "/device/tile0/gt0/gtidle/idle_residency_ms");
    if (!residency)
        return std::nullopt;
    const double now = m_clock();
    const Residency current{double(*residency), now};
    auto it = m_residency.find(card);
    if (it == m_residency.end()) {
        m_residency.insert(card, current);
        return GpuUtilization{};
    }
    const Residency previous = *it;
    *it = current;
    const double dtMs = (now - previous.at) * 1000.0;
    const double idleMs = current.residencyMs - previous.residencyMs;
    if (dtMs <= 0 || idleMs < 0)
        return GpuUtilization{};
    const double busy = std::clamp(1.0 - idleMs / dtMs, 0.0, 1.0) * 100.0;
    return GpuUtilization{busy, busy};
}

std::vector<GpuUtilization> GpuReader::read()
{
    std::vector<GpuUtilization> result;
    bool nvidiaAwake = false;
    for (const QString& card : m_root.list("sys/class/drm")) {
        // card0, card1 ... (connectors such as card0-DP-1 are skipped)
        if (!card.startsWith(QLatin1String("card")) || card.size() == 4)
            continue;
        bool ok = false;
        (void)QStringView(card).mid(4).toInt(&ok);
        if (!ok)
            continue;
        const std::string base = "sys/class/drm/" + card.toStdString();
        // Reading a suspended device's counters would wake it. Its idle
        // residency does not run while it sleeps, so a baseline from before
        // the sleep would make the first reading after it look fully busy:
        // start a new one when it wakes.
        if (auto status = m_root.readLine(base + "/device/power/runtime_status");
            status && (*status == QLatin1String("suspended") || *status == QLatin1String("suspending"))) {
            m_residency.remove(card);
            continue;
        }
        const QString driver = m_root.linkTargetName(base + "/device/driver").value_or(QString());
        if (driver == QLatin1String("amdgpu")) {
            const auto busy = m_root.readNumber(base + "/device/gpu_busy_percent");
            std::optional<double> gfx;
            if (auto blob = m_root.read(base + "/device/gpu_metrics"))
                gfx = gfxActivityFromMetrics(*blob);
            if (!busy && !gfx)
                continue;
            // A figure the card does not give stays 0: the card contributes
            // only the figure it has, never one copied into the other series.
            const double device = busy ? std::min(double(*busy), 100.0) : 0.0;
            result.push_back(GpuUtilization{device, gfx.value_or(0.0)});
        } else if (driver == QLatin1String("i915") || driver == QLatin1String("xe")) {
            if (auto u = readIntel(card, base))
                result.push_back(*u);
        } else if (driver == QLatin1String("nvidia")) {
            nvidiaAwake = true;
        }
    }
    if (nvidiaAwake && m_nvml) {
        if (auto values = m_nvml()) {
            for (double v : *values)
                result.push_back(GpuUtilization{std::clamp(v, 0.0, 100.0), std::clamp(v, 0.0, 100.0)});
        }
    }
    return result;
}

} // namespace gaugelet
