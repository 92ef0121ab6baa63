#pragma once

#include "stats/StatSnapshot.h"

#include <QColor>
#include <QSet>
#include <QString>
#include <qcoro/qcorotask.h>

namespace gaugelet {

struct Palette;

// The four built-in provider ids. They are stored in settings, pins and
// alarms, so they never change.
namespace ProviderIds {
inline const QString cpu = QStringLiteral("cpu.total");
inline const QString gpu = QStringLiteral("gpu.total");
inline const QString memory = QStringLiteral("memory.total");
inline const QString network = QStringLiteral("net.total");
} // namespace ProviderIds

// A statistic source. The registry drives it; sample() runs on the
// provider's own sampler (an actor) and never fails. Its views (the detail
// view in the popover, the section in the settings) are StatProviderViews'.
class StatProvider {
public:
    virtual ~StatProvider() = default;

    virtual QString id() const = 0;
    virtual QString displayName() const = 0;
    virtual QString shortName() const = 0;
    virtual double refreshInterval() const = 0;
    virtual QColor accentColor(const Palette& palette) const = 0;
    virtual QSet<QString> excludedVisualizerIds() const { return {}; }
    virtual bool supportsMergedDisplay() const { return false; }
    // A snapshot with empty providerId and badgeText, asOf now, value a fraction.
    virtual QCoro::Task<StatSnapshot> sample() = 0;
};

} // namespace gaugelet
