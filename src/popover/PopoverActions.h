#pragma once

#include <functional>

namespace gaugelet {

// What the popover's footer asks of its owner. The owner closes the popover
// before it opens a window, so no callback runs while the popover must stay.
struct PopoverActions {
    std::function<void()> openSettings;  // "Settings…"
    std::function<void()> presentUpdate; // the update badge
    std::function<void()> quit;          // "Quit"
};

} // namespace gaugelet
