#include "platform/statusitem/SniClickAnchor.h"

#include "platform/windows/PopoverWindow.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

ScreenFacts screen(const QRect& frame, const QRect& available)
{
    ScreenFacts facts;
    facts.frame = frame;
    facts.visibleFrame = available;
    return facts;
}

} // namespace

TEST(SniClickAnchor, TellsItemLocalClicksFromScreenPositionsAndPlacesThePopoverByTheItem)
{
    using Source = SniClickAnchor::Source;
    const QRect full(0, 0, 1280, 720);
    // Under sway, XWayland knows no panel: the available geometry is the whole screen.
    const QList<ScreenFacts> sway{screen(full, full)};
    const QList<ScreenFacts> topStrut{screen(full, QRect(0, 40, 1280, 680))};
    const QList<ScreenFacts> bottomStrut{screen(full, QRect(0, 0, 1280, 690))};
    const QList<ScreenFacts> twoScreens{screen(full, full),
                                        screen(QRect(1280, 0, 1920, 1080), QRect(1280, 0, 1920, 1080))};
    const std::optional<QPoint> none;
    struct Case {
        const char* name;
        QPoint reported;
        std::optional<QPoint> pointer;
        QList<ScreenFacts> screens;
        SniClickAnchor::Anchor expected;
    };
    const Case cases[] = {
        // Screen positions, as LXQt, Plasma and Xfce send them, stay as sent.
        {"screen position under the pointer", {1100, 12}, QPoint(1100, 12), sway, {{1100, 12}, Source::host}},
        {"screen position, pointer elsewhere", {1100, 12}, QPoint(640, 360), sway, {{1100, 12}, Source::host}},
        {"an item in the screen's corner", {7, 14}, QPoint(8, 13), sway, {{7, 14}, Source::host}},
        {"negative position", {-3, 5}, QPoint(1150, 14), sway, {{-3, 5}, Source::host}},
        {"no screen", {7, 14}, QPoint(1150, 14), {}, {{7, 14}, Source::host}},
        // Item-local positions (waybar) with the pointer on a panel band.
        {"top bar: under the item", {7, 14}, QPoint(1150, 14), sway, {{1150, 32}, Source::pointer}},
        {"top bar, item lower in the bar", {7, 4}, QPoint(1150, 24), sway, {{1150, 52}, Source::pointer}},
        {"top bar under a strut", {7, 14}, QPoint(1150, 14), topStrut, {{1150, 40}, Source::pointer}},
        {"bottom bar: above the item", {7, 14}, QPoint(1150, 705), sway, {{1150, 691}, Source::pointer}},
        {"bottom bar over a strut", {7, 14}, QPoint(1150, 705), bottomStrut, {{1150, 689}, Source::pointer}},
        {"second screen's top bar", {5, 9}, QPoint(2500, 10), twoScreens, {{2500, 33}, Source::pointer}},
        {"(0, 0): the pointer itself", {0, 0}, QPoint(1150, 10), sway, {{1150, 10}, Source::pointer}},
        {"top bar, click low in a tall item", {7, 40}, QPoint(1150, 45), sway, {{1150, 46}, Source::pointer}},
        {"just past the local box", {48, 14}, QPoint(1150, 14), sway, {{48, 14}, Source::host}},
        {"panel at the right edge", {7, 14}, QPoint(1275, 200), sway, {{1275, 218}, Source::pointer}},
        // No pointer on a panel (XWayland's stale pointer): the panel's end.
        {"stale pointer mid-screen", {7, 14}, QPoint(640, 360), sway, {{1279, 32}, Source::panelEnd}},
        {"stale pointer under the band", {7, 14}, QPoint(640, 70), sway, {{1279, 32}, Source::panelEnd}},
        {"pointer off every screen", {7, 14}, QPoint(-5, -5), sway, {{1279, 32}, Source::panelEnd}},
        {"no pointer", {7, 14}, none, sway, {{1279, 32}, Source::panelEnd}},
        {"no pointer, (0, 0)", {0, 0}, none, sway, {{1279, 32}, Source::panelEnd}},
        {"no pointer, top strut", {7, 14}, none, topStrut, {{1279, 40}, Source::panelEnd}},
        {"no pointer, bottom strut", {7, 14}, none, bottomStrut, {{1279, 689}, Source::panelEnd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SniClickAnchor::Anchor anchor = SniClickAnchor::resolve(c.reported, c.pointer, c.screens);
        EXPECT_EQ(anchor.point, c.expected.point);
        EXPECT_EQ(anchor.source, c.expected.source);
        // (0, 0) keeps the pointer as the anchor, as before.
        if (anchor.source == Source::host || c.reported.isNull())
            continue;
        // The popover never covers a 30-px bar at the screen's top or bottom,
        // and holds the pointer's column when the pointer is known.
        const ScreenFacts& on = c.screens.size() > 1 && anchor.point.x() >= 1280 ? c.screens[1] : c.screens[0];
        const QRect available = on.visibleFrame.toRect();
        const QRect popover = PopoverWindow::placement(anchor.point, QSize(380, 300), available);
        const QRect frame = on.frame.toRect();
        EXPECT_TRUE(popover.top() >= frame.top() + 30 && popover.bottom() < frame.bottom() - 30) << popover.top();
        if (anchor.source == Source::pointer)
            EXPECT_TRUE(popover.left() <= c.pointer->x() && c.pointer->x() <= popover.right());
        else
            EXPECT_EQ(popover.right(), available.right());
    }
}
