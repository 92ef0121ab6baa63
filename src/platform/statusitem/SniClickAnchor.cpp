#include "platform/statusitem/SniClickAnchor.h"

#include <QRect>
#include <algorithm>

namespace gaugelet {

namespace {

const ScreenFacts* screenHolding(const QPoint& point, const QList<ScreenFacts>& screens)
{
    for (const ScreenFacts& screen : screens) {
        if (screen.frame.toRect().contains(point))
            return &screen;
    }
    return nullptr;
}

bool isOnEdgeBand(const QPoint& point, const QRect& frame)
{
    const int reach = SniClickAnchor::panelReach;
    return point.y() - frame.top() < reach || frame.bottom() - point.y() < reach || point.x() - frame.left() < reach
           || frame.right() - point.x() < reach;
}

bool isInLocalBox(const QPoint& point)
{
    return point.x() >= 0 && point.y() >= 0 && point.x() < SniClickAnchor::localBox
           && point.y() < SniClickAnchor::localBox;
}

} // namespace

SniClickAnchor::Anchor SniClickAnchor::resolve(const QPoint& reported, const std::optional<QPoint>& pointer,
                                               const QList<ScreenFacts>& screens)
{
    if (!isInLocalBox(reported) || screens.isEmpty())
        return {reported, Source::host};

    const ScreenFacts* pointerScreen = pointer ? screenHolding(*pointer, screens) : nullptr;
    if (pointerScreen && isOnEdgeBand(*pointer, pointerScreen->frame.toRect())) {
        // The pointer is there too: an item in the screen's corner.
        if (isInLocalBox(*pointer))
            return {reported, Source::host};
        // (0, 0) says nothing of where in the item the click was.
        if (reported.isNull())
            return {*pointer, Source::pointer};
        const QRect frame = pointerScreen->frame.toRect();
        const QRect available = pointerScreen->visibleFrame.toRect();
        const int itemTop = pointer->y() - reported.y();
        if (pointer->y() > frame.center().y())
            return {QPoint(pointer->x(), std::min(itemTop, available.bottom())), Source::pointer};
        const int pastItem = std::max(itemTop + itemThickness, pointer->y() + 1);
        return {QPoint(pointer->x(), std::max(pastItem, available.top())), Source::pointer};
    }

    const QRect frame = screens.first().frame.toRect();
    const QRect available = screens.first().visibleFrame.toRect();
    const bool bottomPanel = available.top() == frame.top() && available.bottom() < frame.bottom();
    if (bottomPanel)
        return {QPoint(available.right(), available.bottom()), Source::panelEnd};
    const int top = available.top() > frame.top() ? available.top() : frame.top() + itemThickness;
    return {QPoint(available.right(), top), Source::panelEnd};
}

} // namespace gaugelet
