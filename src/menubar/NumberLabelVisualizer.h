#pragma once

#include "menubar/Visualizer.h"
#include "menubar/VisualizerSizeSetting.h"

#include <QColor>

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
    // Posted with the visualizer id appended when its size setting changes.
    static inline const QString sizeNotificationPrefix = QStringLiteral("number.size.changed.");

    NumberLabelVisualizer();

    QString id() const override;
    QString displayName() const override;
    QString chipLabel() const override;
    QSizeF size() const override;
    bool bakesOwnNameTag() const override { return true; }

    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override;
    qint64 renderKey(const StatSnapshot& snapshot) override;

    double cachedSize() const { return m_size.value(); }
    Shape lastShape() const { return m_lastShape; }

    // Directional when the breakdown holds exactly two series whose ids are
    // "up" and "down"; otherwise single.
    static Shape shapeOf(const StatSnapshot& snapshot);
    // The text drawn for a series of a directional tile: its display value,
    // else its value as "%.0f".
    static QString directionalText(const Series& series);
    // The value's colour on a dark or a light panel.
    static QColor textColor(Theme theme);

private:
    // The tile height, 12...30.
    VisualizerSizeSetting m_size;
    Shape m_lastShape = Shape::single;
};

} // namespace gaugelet
