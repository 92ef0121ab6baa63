#pragma once

#include "menubar/TagOrientation.h"
#include "menubar/TagPosition.h"

#include <QString>
#include <optional>

namespace gaugelet {

// One of a pin's labels in the form in which it is drawn.
struct AnimatedTagSpec {
    QString text;
    TagPosition position = TagPosition::behind;
    TagOrientation orientation = TagOrientation::horizontal;
    QString fgHex;
    // Background colour; none means no background plate and no margin.
    std::optional<QString> bgHex;
    double yOffset = 0;
    // The pin's value (not its tag): drawn with digits tall enough to read
    // when the panel scales the tile into a square slot.
    bool isValue = false;
    // The width of the tile the label stands on, in points (0: none). A
    // horizontal label wider than this is shortened (a rate loses its
    // "B/s") and then squeezed sideways to fit, so it never widens the tile.
    double fitWidth = 0;
    // The panel's shade is guessed: the letters carry a contour of the
    // opposite lightness wherever they stand, so they read on either shade.
    bool contoured = false;

    bool operator==(const AnimatedTagSpec&) const = default;
};

} // namespace gaugelet
