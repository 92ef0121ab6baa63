#include "stats/MemoryProvider.h"

#include "schema/SettingsSchema.h"
#include "stats/MemoryExtras.h"
#include "stats/Prefs.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace gaugelet {

MemoryProvider::MemoryProvider(std::unique_ptr<MemorySampler> sampler)
    : SampledStatProvider(ProviderIds::memory, QStringLiteral("Memory"), QStringLiteral("MEM"), &Palette::accent5,
                          std::move(sampler), &MemoryProvider::makeCurrentSnapshot)
{
}

StatSnapshot MemoryProvider::makeSnapshot(const MemoryReading& r, bool showCached)
{
    double percent = 0;
    if (r.totalBytes != 0) {
        // In floating point: the sum of four byte counts must not wrap.
        double used = double(r.appBytes) + double(r.wiredBytes) + double(r.compressedBytes);
        if (showCached)
            used += double(r.cachedBytes);
        percent = std::min(used / double(r.totalBytes) * 100.0, 100.0);
    }
    constexpr double gib = 1024.0 * 1024.0 * 1024.0;
    auto series = [](const char* id, const char* label, uint64_t bytes) {
        return Series{QString::fromLatin1(id), QCoreApplication::translate("MemoryProvider", label),
                      double(bytes) / gib, std::nullopt};
    };

    StatSnapshot snapshot =
        snapshotNow(percent / 100.0, percentLabel(percent),
                    {
                        series("app", QT_TRANSLATE_NOOP("MemoryProvider", "App"), r.appBytes),
                        series("wired", QT_TRANSLATE_NOOP("MemoryProvider", "Wired"), r.wiredBytes),
                        series("compressed", QT_TRANSLATE_NOOP("MemoryProvider", "Compressed"), r.compressedBytes),
                        series("cached", QT_TRANSLATE_NOOP("MemoryProvider", "Cached"), r.cachedBytes),
                        series("swap", QT_TRANSLATE_NOOP("MemoryProvider", "Swap"), r.swapUsedBytes),
                        series("total", QT_TRANSLATE_NOOP("MemoryProvider", "Total"), r.totalBytes),
                    });
    snapshot.extras.insert(MemoryExtras::key, r);
    return snapshot;
}

StatSnapshot MemoryProvider::makeCurrentSnapshot(const MemoryReading& reading)
{
    // Read anew on every sample, so a change in the detail view shows at once.
    return makeSnapshot(reading, SettingsSchema::boolean(SettingsSchema::memoryShowCached));
}

} // namespace gaugelet
