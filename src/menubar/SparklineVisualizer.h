#pragma once

#include "menubar/Visualizer.h"

#include <QColor>
#include <QDateTime>
#include <QHash>

namespace gaugelet {

// Draws the recent values of a statistic as a line over a light fill in a
// 22 × 16 pt tile: no wider than the status item is high, so a panel that
// fits each tile into a square slot shows it unscaled.
// It keeps its own short history per provider (at most 48 values), fed from
// the snapshots it is asked to key: key a snapshot before drawing it.
class SparklineVisualizer : public Visualizer {
public:
    static constexpr qsizetype ringCapacity = 48;
    static constexpr double width = 22;
    static constexpr double lineWidth = 1.5;
    static constexpr double height = 16;

    SparklineVisualizer(const QString& id, const QString& displayName);

    // The line's colour on a dark or a light panel; the fill under it is the
    // same colour at fillOpacity of its opacity.
    static QColor lineColor(Theme theme);
    static constexpr double fillOpacity = 0.25;

    QString id() const override { return m_id; }
    QString displayName() const override { return m_displayName; }
    QSizeF size() const override { return { width, height }; }

    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override;
    // Takes the snapshot in, then keys the provider's sample count.
    qint64 renderKey(const StatSnapshot& snapshot) override;

    // Takes a snapshot in once per asOf.
    void ingest(const StatSnapshot& snapshot);

    QList<double> ring(const QString& providerId) const { return m_rings.value(providerId); }
    qint64 seq(const QString& providerId) const { return m_seq.value(providerId, 0); }

private:
    QString m_id;
    QString m_displayName;
    QHash<QString, QList<double>> m_rings;
    QHash<QString, qint64> m_seq;
    QHash<QString, QDateTime> m_lastAsOf;
};

} // namespace gaugelet
