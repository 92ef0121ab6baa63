#include "platform/kernel/CpuKindReader.h"

#include <algorithm>

namespace gaugelet {

QList<int> CpuKindReader::parseCpuList(QStringView text)
{
    QList<int> ids;
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return ids;
    for (QStringView part : trimmed.split(u',')) {
        part = part.trimmed();
        const qsizetype dash = part.indexOf(u'-');
        bool ok1 = false, ok2 = false;
        if (dash < 0) {
            const int v = part.toInt(&ok1);
            if (!ok1 || v < 0)
                return {};
            ids.append(v);
        } else {
            const int a = part.left(dash).toInt(&ok1);
            const int b = part.mid(dash + 1).toInt(&ok2);
            if (!ok1 || !ok2 || a < 0 || b < a || b - a > 65536)
                return {};
            for (int v = a; v <= b; ++v)
                ids.append(v);
        }
    }
    return ids;
}

namespace {

QList<int> cpuIds(const SysRoot& root)
{
    QList<int> ids;
    for (const QString& name : root.list("sys/devices/system/cpu")) {
        if (!name.startsWith(QLatin1String("cpu")))
            continue;
        bool ok = false;
        const int id = QStringView(name).mid(3).toInt(&ok);
        if (ok && id >= 0)
            ids.append(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Rule 2 and 3: a per-CPU figure; efficiency below the threshold of the largest.
QMap<int, bool> byRelativeFigure(const SysRoot& root, const QList<int>& ids, const char* attribute)
{
    QMap<int, unsigned long long> figures;
    unsigned long long largest = 0;
    for (int id : ids) {
        const std::string rel = "sys/devices/system/cpu/cpu" + std::to_string(id) + "/" + attribute;
        if (auto v = root.readNumber(rel)) {
            figures.insert(id, *v);
            largest = std::max(largest, *v);
        }
    }
    QMap<int, bool> result;
    if (figures.isEmpty() || largest == 0)
        return result;
    for (int id : ids) {
        auto it = figures.constFind(id);
        // A processor without the figure counts as performance.
        result.insert(id, it != figures.cend() && double(*it) < CpuKindReader::efficiencyThreshold * double(largest));
    }
    return result;
}

} // namespace

QMap<int, bool> CpuKindReader::efficiencyByCpu(const SysRoot& root)
{
    QMap<int, bool> result;
    struct Pmu {
        const char* path;
        bool efficiency;
    };
    static const Pmu pmus[] = {
        {"sys/bus/event_source/devices/cpu_core/cpus", false},
        {"sys/bus/event_source/devices/cpu_atom/cpus", true},
        {"sys/bus/event_source/devices/cpu_lowpower/cpus", true},
    };
    for (const Pmu& pmu : pmus) {
        if (auto line = root.readLine(pmu.path)) {
            for (int id : parseCpuList(*line))
                result.insert(id, pmu.efficiency);
        }
    }
    if (!result.isEmpty())
        return result;

    const QList<int> ids = cpuIds(root);
    if (ids.isEmpty())
        return result;
    result = byRelativeFigure(root, ids, "cpu_capacity");
    if (!result.isEmpty())
        return result;
    return byRelativeFigure(root, ids, "cpufreq/cpuinfo_max_freq");
}

} // namespace gaugelet
