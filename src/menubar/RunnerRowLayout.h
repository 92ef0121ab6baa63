#pragma once

#include "menubar/AnimatedTagSpec.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace gaugelet {

// The geometry of the status item's row of tiles, without any layer: where a
// label sits beside its tile, how wide a tile's slot is with its labels, and
// how many slots fit the width the panel gives. All in points.
struct RunnerRowLayout {
    static constexpr double slotGap = 6;
    static constexpr double chipReserve = 26;
    static constexpr double verticalLabelGap = 3;
    // The least share of the row's height a sprite is shrunk to beside labels
    // at the row's edges: room for one value label, not for a tag as well.
    static constexpr double minimumSpriteShare = 0.4;

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
    // A label over a sprite that stands at the row's top or bottom edge: the
    // sprite keeps below (top) or above (bottom) `limit`.
    struct EdgeLabel {
        bool top = false;
        double limit = 0;
    };
    // The rows left to a sprite between its edge labels, none when it keeps
    // its place under them; and whether the tag is shown.
    struct SpriteBand {
        std::optional<std::pair<double, double>> band;
        bool tagShown = true;
    };

    // A label's x relative to the start of the core `core` points wide.
    static double labelX(double core, double labelWidth, const AnimatedTagSpec& spec);
    // The slot of a tile `s` points wide with its labels.
    static SlotWidth slotWidth(double s, const std::optional<Label>& tag, const std::optional<Label>& value);
    // The sprite's rows in a row `h` high beside its edge labels: the rest of
    // the row, unless that is less than minimumSpriteShare of it. A tag and a
    // value that would leave the sprite less than that between them: the tag
    // gives way (it is not shown) and the sprite takes the rows the value
    // leaves. A label alone that leaves too little: the sprite keeps its place.
    static SpriteBand spriteBand(double h, const std::optional<EdgeLabel>& tag, const std::optional<EdgeLabel>& value);
    // The first ids whose slots (with gaps) fit `budget`, keeping room for the
    // "+N" chip unless every id fits; always at least one id.
    static Fit fit(double budget, const QStringList& ids, const std::function<double(const QString&)>& slotWidthOf);
};

} // namespace gaugelet
