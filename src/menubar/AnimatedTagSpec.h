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

    bool operator==(const AnimatedTagSpec&) const = default;
};

} // namespace gaugelet
