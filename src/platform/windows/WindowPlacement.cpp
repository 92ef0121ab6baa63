#include "platform/windows/WindowPlacement.h"

#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace gaugelet {

QRect WindowPlacement::clientArea(QSize wanted, const QRect& available, const QMargins& frame)
{
    const QRect inner = available.marginsRemoved(frame);
    QRect client(QPoint(), wanted.boundedTo(inner.size()).expandedTo(QSize(1, 1)));
    client.moveCenter(inner.center());
    client.moveTopLeft(QPoint(std::max(client.left(), inner.left()), std::max(client.top(), inner.top())));
    return client;
}

QMargins WindowPlacement::frameOf(const QWidget* window)
{
    const QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle && !handle->frameMargins().isNull() ? handle->frameMargins() : assumedFrame;
}

void WindowPlacement::place(QWidget* window, QSize wanted, const QRect& available)
{
    const QMargins frame = frameOf(window);
    const QRect client = clientArea(wanted, available, frame);
    window->resize(client.size());
    // A top-level widget's position is its frame's.
    window->move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

} // namespace gaugelet
