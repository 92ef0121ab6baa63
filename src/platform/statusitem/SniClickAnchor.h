#pragma once

#include "platform/statusitem/ScreenInfo.h"

#include <QList>
#include <QPoint>
#include <optional>

namespace gaugelet {

// Where the popover of a click on one of our StatusNotifierItems belongs.
// Most hosts send Activate/ContextMenu with the click's screen position;
// waybar sends the position inside the item (7,14, say), which taken as a
// screen position opens the popover at the screen's corner, over the bar.
// Such a position lies in a small box at the origin. When the pointer is
// elsewhere, on a band along a screen edge where a panel can be, the click
// was there: the item's edge is the pointer less the item-local position
// and the popover opens at the pointer, past the item. When the pointer is
// not known to be on a panel (under XWayland the X pointer stays where it
// last left an X window while it moves over Wayland surfaces, such as the
// bar), the popover opens at the panel's end of the screen: the edge the
// available geometry leaves out, the top when it leaves none out, at the
// right end, where panels keep their trays.
class SniClickAnchor {
public:
    // A host's position smaller than this in both axes may be item-local.
    static constexpr int localBox = 48;
    // A pointer this close to an edge of its screen may be on a panel.
    static constexpr int panelReach = 64;
    // The thickness of a panel's slot for an item, as far as the popover
    // keeps clear of it when the host does not say.
    static constexpr int itemThickness = 32;

    enum class Source {
        host,     // the host's screen position, as sent
        pointer,  // the pointer, past the item under it
        panelEnd, // the panel's end of the screen (no pointer known)
    };

    struct Anchor {
        QPoint point;
        Source source = Source::host;
        bool operator==(const Anchor&) const = default;
    };

    // The anchor for a host's position, the pointer (none when unknown) and
    // the screens' frames (the first is the main one).
    static Anchor resolve(const QPoint& reported, const std::optional<QPoint>& pointer,
                          const QList<ScreenFacts>& screens);
};

} // namespace gaugelet
