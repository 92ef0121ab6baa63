#pragma once

#include "menubar/Visualizer.h"
#include "platform/core/NotificationCenter.h"

#include <QColor>
#include <QObject>
#include <memory>

namespace gaugelet {

// Draws a statistic as text: the formatted value with the provider's badge
// text above it, or, for a statistic with an up and a down component, two
// short lines with arrows. The tile height is a user setting (12...30 pt).
class NumberLabelVisualizer : public Visualizer {
public:
    enum class Shape { single, directional };

    static constexpr double defaultSize = 22.0;
    static constexpr double minimumSize = 12.0;
    static constexpr double maximumSize = 30.0;

    NumberLabelVisualizer();
    ~NumberLabelVisualizer() override;

    QString id() const override;
    QString displayName() const override;
    QString chipLabel() const override;
    QSizeF size() const override;
    bool bakesOwnNameTag() const override { return true; }

    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override;
    qint64 renderKey(const StatSnapshot& snapshot) override;

    double cachedSize() const { return m_cachedSize; }
    Shape lastShape() const { return m_lastShape; }

    // Directional when the breakdown holds exactly two series whose ids are
    // "up" and "down"; otherwise single.
    static Shape shapeOf(const StatSnapshot& snapshot);
    // The stored size with the default, clamped to 12...30; a stored value
    // that is not a finite number reads as the default.
    static double storedSize(const QString& visualizerId);
    // The text drawn for a series of a directional tile: its display value,
    // else its value as "%.0f".
    static QString directionalText(const Series& series);
    // The value's colour on a dark or a light panel.
    static QColor textColor(Theme theme);

private:
    void reloadSize();

    double m_cachedSize = defaultSize;
    std::unique_ptr<QObject> m_observerContext;
    NotificationCenter::Token m_defaultsObserver = 0;
    Shape m_lastShape = Shape::single;
};

} // namespace gaugelet
