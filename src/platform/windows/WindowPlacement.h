#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace gaugelet {

// Where an ordinary window first stands: its client area as large as it
// asks, at most the available area less the window's frame, centred in that
// area with the whole frame inside it. A window placed so fits the screen
// however large its font; its content scrolls where it must.
class WindowPlacement {
public:
    // The frame assumed before the window system has drawn one: a title bar
    // and thin borders.
    static constexpr QMargins assumedFrame{8, 40, 8, 8};

    // The client area's geometry for a window that asks for `wanted`.
    static QRect clientArea(QSize wanted, const QRect& available, const QMargins& frame);
    // The window's frame as the window system draws it, else the assumed one.
    static QMargins frameOf(const QWidget* window);
    // Sizes and moves the top-level `window` to its client area for `wanted`.
    static void place(QWidget* window, QSize wanted, const QRect& available);
};

} // namespace gaugelet
