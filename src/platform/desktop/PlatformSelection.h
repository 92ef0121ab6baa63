#pragma once

namespace gaugelet {

// Chooses the windowing platform before the application object exists. A
// Wayland client cannot place its own windows, so the popover could not open
// under the status item; when an X server is reachable as well (DISPLAY set,
// as XWayland provides) and nobody chose a platform, the X11 one is used.
class PlatformSelection {
public:
    static void preferPlaceableWindows();
};

} // namespace gaugelet
