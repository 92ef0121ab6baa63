#include "popover/PopoverSize.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

PopoverSize PopoverSize::compute(const std::optional<QRectF>& visibleFrame, int visibleProviders, int firingAlarms,
                                 TwoColumnMode mode)
{
    double maxHeight = noScreenMaxHeight;
    double maxWidth = noScreenMaxWidth;
    if (visibleFrame) {
        maxHeight = visibleFrame->height() - 100;
        maxWidth = visibleFrame->width() - 60;
    }
    // A NaN compares false, so it takes the floor as well.
    if (!(maxHeight >= leastMaxHeight))
        maxHeight = leastMaxHeight;
    if (!(maxWidth >= leastMaxWidth))
        maxWidth = leastMaxWidth;
    if (!std::isfinite(maxHeight))
        maxHeight = noScreenMaxHeight;
    if (!std::isfinite(maxWidth))
        maxWidth = noScreenMaxWidth;

    const int n = std::max(visibleProviders, 0);
    const double extra = firingAlarms > 0 ? firingExtra : 0;
    const double oneColumnHeight = n * heightPerProvider + baseHeight + extra;
    const double twoColumnHeight = firstColumnCount(n) * heightPerProvider + baseHeight + extra;
    const bool canTwo = maxWidth >= minWidthForTwo && n >= 2;

    PopoverSize size;
    switch (mode) {
    case TwoColumnMode::automatic: size.twoColumns = canTwo && maxHeight < oneColumnHeight; break;
    case TwoColumnMode::alwaysTwo: size.twoColumns = canTwo; break;
    case TwoColumnMode::alwaysOne: size.twoColumns = false; break;
    }
    size.width = std::min(maxWidth, size.twoColumns ? twoColumnWidth : oneColumnWidth);
    size.scrolls = maxHeight < (size.twoColumns ? twoColumnHeight : oneColumnHeight);
    size.maxHeight = maxHeight;
    return size;
}

int PopoverSize::firstColumnCount(int providers)
{
    return (std::max(providers, 0) + 1) / 2;
}

double PopoverSize::scrollMaxHeight() const
{
    return std::max(maxHeight - 60, 160.0);
}

} // namespace gaugelet
