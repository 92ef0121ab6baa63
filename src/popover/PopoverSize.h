#pragma once

#include "popover/TwoColumnMode.h"

#include <QRectF>
#include <optional>

namespace gaugelet {

// The popover's size rule: from the screen's visible frame, the number of
// visible providers, the number of firing alarms and the column preference it
// decides one or two columns, whether the rows scroll, the width and the
// greatest height. The delegate sizes the window with it and the content lays
// itself out with it, from the same screen, so the two always agree.
struct PopoverSize {
    bool twoColumns = false;
    bool scrolls = false;
    double width = 0;
    double maxHeight = 0;

    static constexpr double heightPerProvider = 240;
    static constexpr double baseHeight = 100;
    static constexpr double firingExtra = 80;
    static constexpr double minWidthForTwo = 669;
    static constexpr double twoColumnWidth = 740;
    static constexpr double oneColumnWidth = 380;
    static constexpr double noScreenMaxHeight = 700;
    static constexpr double noScreenMaxWidth = 1220;
    // However odd a screen's geometry (tiny, empty, negative, not a number),
    // the popover keeps at least these.
    static constexpr double leastMaxWidth = 200;
    static constexpr double leastMaxHeight = 100;

    // visibleFrame: the screen's visible frame in points; none without a screen.
    static PopoverSize compute(const std::optional<QRectF>& visibleFrame, int visibleProviders, int firingAlarms,
                               TwoColumnMode mode);
    // The first column's share of n providers: (n + 1) / 2.
    static int firstColumnCount(int providers);
    // The scroll area's greatest height: max(maxHeight − 60, 160).
    double scrollMaxHeight() const;

    bool operator==(const PopoverSize&) const = default;
};

} // namespace gaugelet
