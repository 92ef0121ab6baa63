#pragma once

#include "platform/statusitem/ScreenInfo.h"
#include "popover/PopoverActions.h"
#include "popover/PopoverSize.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QStringList>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <optional>

class QScrollArea;
class QVBoxLayout;

namespace gaugelet {

class FiringAlarmsRow;
class PopoverFooter;
class ProviderRow;
class StatProvider;

// The popover's content: the firing alarms (while any fire), one row per
// visible statistic in one or two columns, and the footer, all framed to the
// width of the size rule. It exists only while the popover is open.
//
// It follows the registry, the alarms, the updater, the enablement, the pins,
// the palette, the screens and the settings, coalescing their changes into one
// update per event-loop turn. An update changes values in place; only a change
// of the visible providers, the firing alarms or the size rule's outcome builds
// the tree again, and so do rows growing past the screen's height.
//
// The rows scroll only when, as laid out, they and the footer would not fit
// the height of the screen's visible frame; the scroll area then takes all of
// that height the footer leaves (at least 160 points). The popover is as wide
// as the size rule says, or as its rows need where that is more (a large
// font), up to the screen's width, beyond which the rows scroll sideways; it
// widens when the rows come to need more while it is open. In a window of its own
// (where it stands in for the row), the rows always scroll, in whatever
// height the window gives them, and the content asks for the height of all
// of them; it is as wide as the size rule says, or wider.
class StatsPopover : public QWidget {
    Q_OBJECT
public:
    // The screen whose visible frame the size rule reads; none without a screen.
    using ScreenSource = std::function<std::optional<ScreenFacts>()>;

    StatsPopover(const ViewEnvironment& env, PopoverActions actions, ScreenSource screen = {},
                 QWidget* parent = nullptr);
    ~StatsPopover() override;

    // The size rule for the current state.
    PopoverSize popoverSize() const;
    // The providers of the registry, in registry order, that are enabled.
    QList<StatProvider*> visibleProviders() const;
    static QList<StatProvider*> visibleProviders(const ViewEnvironment& env);
    // The first column holds the first (n + 1) / 2 providers, the second the rest.
    static std::pair<QList<StatProvider*>, QList<StatProvider*>> splitColumns(const QList<StatProvider*>& providers);

    // Lays the content out for a window of its own, or for the popover.
    void setInWindow(bool inWindow);
    bool isInWindow() const { return m_inWindow; }
    QSize sizeHint() const override;

    // Runs a pending update now (tests, benchmarks).
    void updateNow();
    void scheduleUpdate();

    // State, for tests and the window.
    const PopoverSize& currentSize() const { return m_size; }
    const QList<ProviderRow*>& rows() const { return m_rows; }
    FiringAlarmsRow* firingRow() const { return m_firing; }
    PopoverFooter* footer() const { return m_footer; }
    QScrollArea* scrollArea() const { return m_scroll; }
    int buildCount() const { return m_buildCount; }
    int dividerCount() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Structure {
        QStringList visibleIds;
        QList<QUuid> firingIds;
        QStringList firingLines;
        PopoverSize size;
        bool operator==(const Structure&) const = default;
    };
    Structure currentStructure() const;
    void build(const Structure& structure);
    // The height the rows may take on the screen: its visible frame less the
    // footer, the margins and the gap; none without a screen.
    std::optional<int> roomForRows() const;
    // Builds again, scrolling, when the rows have outgrown the screen.
    void scrollIfGrown();
    // The popover's width: the size rule's, or what the rows and the footer
    // need where that is more (a large font), at most the screen's width.
    int fittedWidth() const;
    // What the rows (beside the scroll bar where they scroll) and the footer
    // need, with the margins.
    int neededWidth(const QWidget* rows, bool scrolls) const;
    // The width of the screen's visible frame (without a screen, the widest
    // the size rule allows).
    int screenWidth() const;
    // Widens the popover when its rows have come to need more width.
    void widenIfGrown();
    // Puts the rows above the footer: scrolling in a window, else as they fit the screen.
    void placeSections(QWidget* sections, QVBoxLayout* stack);
    // Wraps the rows in the scroll area, at most `maxHeight` high.
    void wrapInScrollArea(QWidget* sections, QVBoxLayout* stack, int maxHeight);

    ViewEnvironment m_env;
    PopoverActions m_actions;
    ScreenSource m_screen;
    QVBoxLayout* m_outer = nullptr; // the content above the footer
    QWidget* m_content = nullptr;
    QScrollArea* m_scroll = nullptr;
    FiringAlarmsRow* m_firing = nullptr;
    PopoverFooter* m_footer = nullptr;
    QList<ProviderRow*> m_rows;
    std::optional<Structure> m_structure;
    PopoverSize m_size;
    TurnCoalescer m_update{this, [this] { updateNow(); }};
    int m_buildCount = 0;
    bool m_inWindow = false;
};

} // namespace gaugelet
