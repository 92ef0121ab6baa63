#include "stats/CPUProvider.h"

#include "stats/CPUExtras.h"

#include <QCoreApplication>
#include <cmath>

namespace gaugelet {

CPUProvider::CPUProvider(std::unique_ptr<CPUSampler> sampler)
    : SampledStatProvider(ProviderIds::cpu, QStringLiteral("CPU"), QStringLiteral("CPU"), &Palette::accent1,
                          std::move(sampler), &CPUProvider::makeSnapshot)
{
}

StatSnapshot CPUProvider::makeSnapshot(const CPUSample& s)
{
    double busy = s.user + s.system;
    if (!(busy >= 0)) // negative or not a number
        busy = 0;
    busy = std::min(busy, 100.0);

    StatSnapshot snapshot = snapshotNow(
        busy / 100.0, percentLabel(busy),
        {
            Series{QStringLiteral("user"), QCoreApplication::translate("CPUProvider", "User"), s.user, std::nullopt},
            Series{QStringLiteral("system"), QCoreApplication::translate("CPUProvider", "System"), s.system,
                   std::nullopt},
            Series{QStringLiteral("idle"), QCoreApplication::translate("CPUProvider", "Idle"), s.idle, std::nullopt},
        });
    snapshot.extras.insert(CPUExtras::key, static_cast<const CPUExtras&>(s));
    snapshot.isFirstReading = s.isFirstReading;
    return snapshot;
}

} // namespace gaugelet
