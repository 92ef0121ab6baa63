#include "stats/NetworkProvider.h"

#include "stats/NetworkExtras.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace gaugelet {

NetworkProvider::NetworkProvider(std::unique_ptr<NetworkSampler> sampler)
    : SampledStatProvider(ProviderIds::network, QStringLiteral("Network"), QStringLiteral("NET"), &Palette::accent7,
                          std::move(sampler), &NetworkProvider::makeSnapshot)
{
}

QSet<QString> NetworkProvider::excludedVisualizerIds() const
{
    return {QStringLiteral("viz.pie")};
}

QString NetworkProvider::rateText(double r)
{
    // NaN counts as nothing moving, and so does infinity (a glitch, not a rate).
    if (!(r >= 1000) || !std::isfinite(r))
        return QStringLiteral("0 KB/s");
    if (r < 1e6)
        return QString::asprintf("%.0f KB/s", r / 1000);
    if (r < 1e9)
        return QString::asprintf("%.1f MB/s", r / 1e6);
    return QString::asprintf("%.2f GB/s", r / 1e9);
}

StatSnapshot NetworkProvider::makeSnapshot(const NetworkSample& s)
{
    const double total = s.upBytesPerSec + s.downBytesPerSec;
    StatSnapshot snapshot =
        snapshotNow(std::min(std::max(total, 0.0) / defaultSoftCapBytesPerSec, 1.0), rateText(total),
                    {
                        Series{QStringLiteral("up"), QCoreApplication::translate("NetworkProvider", "Upload"),
                               s.upBytesPerSec, rateText(s.upBytesPerSec)},
                        Series{QStringLiteral("down"), QCoreApplication::translate("NetworkProvider", "Download"),
                               s.downBytesPerSec, rateText(s.downBytesPerSec)},
                    });
    snapshot.extras.insert(NetworkExtras::key, static_cast<const NetworkExtras&>(s));
    snapshot.isFirstReading = s.isFirstReading;
    return snapshot;
}

} // namespace gaugelet
