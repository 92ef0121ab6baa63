#pragma once

#include "platform/core/WallClock.h"
#include "stats/Palette.h"
#include "stats/StatProvider.h"

#include <cmath>
#include <memory>
#include <utility>

namespace gaugelet {

// A built-in statistic: its names and palette accent fixed at construction,
// refreshed every second, and each snapshot made from one reading of its own
// sampler (an actor reached only through its async sample()).
template <typename Sampler, typename Sample>
class SampledStatProvider : public StatProvider {
public:
    // The snapshot for one reading (asOf now).
    using MakeSnapshot = StatSnapshot (*)(const Sample&);

    QString id() const final { return m_id; }
    QString displayName() const final { return m_displayName; }
    QString shortName() const final { return m_shortName; }
    double refreshInterval() const final { return 1.0; }
    QColor accentColor(const Palette& palette) const final { return palette.*m_accent; }

    QCoro::Task<StatSnapshot> sample() final
    {
        const Sample reading = co_await m_sampler->sample();
        co_return m_makeSnapshot(reading);
    }

protected:
    // A snapshot taken now: value a fraction, label the tile's text.
    static StatSnapshot snapshotNow(double value, QString label, QList<Series> breakdown)
    {
        StatSnapshot snapshot;
        snapshot.value = value;
        snapshot.label = std::move(label);
        snapshot.breakdown = std::move(breakdown);
        snapshot.asOf = WallClock::now();
        return snapshot;
    }
    // A percentage as the tile shows it, rounded to a whole number: "42%".
    static QString percentLabel(double percent)
    {
        return QString::number(qint64(std::round(percent))) + QLatin1Char('%');
    }

    SampledStatProvider(QString id, QString displayName, QString shortName, QColor Palette::*accent,
                        std::unique_ptr<Sampler> sampler, MakeSnapshot makeSnapshot)
        : m_id(std::move(id)), m_displayName(std::move(displayName)), m_shortName(std::move(shortName)),
          m_accent(accent), m_sampler(std::move(sampler)), m_makeSnapshot(makeSnapshot)
    {
    }

private:
    const QString m_id;
    const QString m_displayName;
    const QString m_shortName;
    QColor Palette::*const m_accent;
    std::unique_ptr<Sampler> m_sampler;
    const MakeSnapshot m_makeSnapshot;
};

} // namespace gaugelet
