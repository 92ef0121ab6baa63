#pragma once

#include "menubar/AnimatedTagSpec.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace gaugelet {

// The geometry of the status item's row of tiles, without any layer: where a
// label sits beside its tile, how wide a tile's slot is with its labels, and
// how many slots fit the width the panel gives. All in points.
struct RunnerRowLayout {
    static constexpr double slotGap = 6;
    static constexpr double chipReserve = 26;
    static constexpr double verticalLabelGap = 3;

    // A label's rendered width and its placement.
    struct Label {
        double width = 0;
        AnimatedTagSpec spec;
    };

    struct SlotWidth {
        double width = 0;    // the whole slot, labels included
        double overhang = 0; // how far labels reach left of the tile's core
        double core = 0;     // the tile, widened by horizontal labels
    };
    struct Fit {
        QStringList fitting;
        int overflow = 0;
    };

    // A label's x relative to the start of the core `core` points wide.
    static double labelX(double core, double labelWidth, const AnimatedTagSpec& spec);
    // The slot of a tile `s` points wide with its labels.
    static SlotWidth slotWidth(double s, const std::optional<Label>& tag, const std::optional<Label>& value);
    // The first ids whose slots (with gaps) fit `budget`, keeping room for the
    // "+N" chip unless every id fits; always at least one id.
    static Fit fit(double budget, const QStringList& ids, const std::function<double(const QString&)>& slotWidthOf);
};

} // namespace gaugelet
