#include "stats/NetworkProvider.h"

#include "platform/core/WallClock.h"
#include "stats/NetworkExtras.h"
#include "stats/Palette.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace gaugelet {

NetworkProvider::NetworkProvider() : NetworkProvider(std::make_unique<NetworkSampler>()) {}

NetworkProvider::NetworkProvider(std::unique_ptr<NetworkSampler> sampler) : m_sampler(std::move(sampler)) {}

QColor NetworkProvider::accentColor(const Palette& palette) const
{
    return palette.accent7;
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
    StatSnapshot snapshot;
    snapshot.value = std::min(std::max(total, 0.0) / defaultSoftCapBytesPerSec, 1.0);
    snapshot.label = rateText(total);
    snapshot.breakdown = {
        Series{QStringLiteral("up"), QCoreApplication::translate("NetworkProvider", "Upload"), s.upBytesPerSec,
               rateText(s.upBytesPerSec)},
        Series{QStringLiteral("down"), QCoreApplication::translate("NetworkProvider", "Download"), s.downBytesPerSec,
               rateText(s.downBytesPerSec)},
    };
    snapshot.asOf = WallClock::now();
    snapshot.extras.insert(NetworkExtras::key, static_cast<const NetworkExtras&>(s));
    snapshot.isFirstReading = s.isFirstReading;
    return snapshot;
}

QCoro::Task<StatSnapshot> NetworkProvider::sample()
{
    const NetworkSample s = co_await m_sampler->sample();
    co_return makeSnapshot(s);
}

} // namespace gaugelet
