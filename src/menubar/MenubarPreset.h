#pragma once

#include "menubar/Pin.h"

#include <QList>
#include <QString>

namespace gaugelet {

class PinManager;
class StatRegistry;
class VisualizerRegistry;

// A ready-made set of pins ("quick look") with a name and a one-line
// description. Applying one replaces all pins and resets the label styling
// of the new pins.
struct MenubarPreset {
    struct Slot {
        QString providerId;
        QString visualizerId;
        bool showsTagAndValue = false;

        bool operator==(const Slot&) const = default;
    };

    QString id;
    QString name;
    QString blurb;
    QList<Slot> slots;

    bool operator==(const MenubarPreset&) const = default;

    // "Simple", "Enhanced" and "All-in", in that order.
    static const QList<MenubarPreset>& all();

    // The slots whose provider the stat registry knows and whose visualizer is
    // registered, in order. Main thread.
    QList<Slot> applicableSlots(const StatRegistry& registry, const VisualizerRegistry& visualizers) const;
    // The pins' ids equal, in order, the ids of the applicable slots.
    bool matches(const QList<Pin>& pins, const StatRegistry& registry, const VisualizerRegistry& visualizers) const;
    // Pins = the applicable slots (normalised and saved), then both labels of
    // every new pin reset: shown as the slot says (a runner's tag hidden: its
    // square slot holds the sprite and the value only), behind, horizontal,
    // no colours, no plate, offsets -10 (tag) and +10 (value).
    void apply(PinManager& pins, const StatRegistry& registry, const VisualizerRegistry& visualizers) const;
};

} // namespace gaugelet
