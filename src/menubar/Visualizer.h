#pragma once

#include "menubar/TagPosition.h"
#include "menubar/TileView.h"
#include "stats/StatSnapshot.h"
#include "stats/Theme.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <limits>
#include <memory>
#include <optional>

namespace gaugelet {

// One way of drawing a statistic as a menu-bar tile: a static picture (number
// label, pie, sparkline) or an animated sprite (runner). One object per
// visualizer, shared by every pin that uses it, held by std::shared_ptr.
// Called on the main thread only. Its settings view is VisualizerViews'.
class Visualizer {
public:
    virtual ~Visualizer() = default;

    virtual QString id() const = 0;
    // Shown in pickers and settings.
    virtual QString displayName() const = 0;
    // The short text of a pin chip when no sprite frame can be shown.
    virtual QString chipLabel() const { return displayName(); }
    // The tile's width and height in points.
    virtual QSizeF size() const = 0;
    // The tile is a sprite animation drawn by a runner layer, not a static image.
    virtual bool isAnimated() const { return false; }
    // Pins of one provider whose visualizers share a group exclude each other.
    virtual std::optional<QString> group() const { return std::nullopt; }
    // The visualizer draws the provider's badge text itself, so no separate
    // tag label is drawn for its pins.
    virtual bool bakesOwnNameTag() const { return false; }

    // The tile's picture for one snapshot in one menu-bar theme.
    virtual std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) = 0;
    // Changes whenever the picture for this snapshot would change.
    virtual qint64 renderKey(const StatSnapshot& snapshot) = 0;
    // The wanted redraw rate in frames per second; always finite.
    virtual double framesPerSecond(const StatSnapshot& snapshot, int fpsLimit)
    {
        (void)snapshot;
        (void)fpsLimit;
        return 0.0;
    }
    // The ordered sprite frames for this value.
    virtual QList<QImage> frames(Theme theme, const StatSnapshot& snapshot)
    {
        (void)theme;
        (void)snapshot;
        return {};
    }
    // The sprite frames a picker shows for a provider: those of a half-full reading.
    QList<QImage> previewFrames(Theme theme, const QString& providerId)
    {
        StatSnapshot preview;
        preview.providerId = providerId;
        preview.value = 0.5;
        preview.label = QStringLiteral("50%");
        preview.asOf = QDateTime::currentDateTimeUtc();
        return frames(theme, preview);
    }
    // Seconds of one animation cycle.
    virtual double cycleDuration(const StatSnapshot& snapshot)
    {
        (void)snapshot;
        return std::numeric_limits<double>::infinity();
    }
    // A factor of the sprite size by which the sprite moves vertically in its slot.
    virtual double verticalBias() const { return 0.0; }
    // The position actually used for the pin's labels.
    virtual TagPosition tagPosition(const StatSnapshot& snapshot, TagPosition requested)
    {
        (void)snapshot;
        return requested;
    }
};

using VisualizerPtr = std::shared_ptr<Visualizer>;

} // namespace gaugelet
