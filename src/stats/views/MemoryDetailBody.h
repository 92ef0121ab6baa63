#pragma once

#include "stats/MemoryPressureLevel.h"
#include "stats/views/DetailBodyBase.h"

#include <array>

class QGraphicsOpacityEffect;
class QLabel;

namespace gaugelet {

class MiniSwitch;
class PopupBreakdownRow;
class PopupDonut;
class PopupDot;

// The memory row's detail: the donut of app, wired, compressed and (with the
// Cached switch on) cached memory, a row per category with its explanation,
// the Cached switch, and the kernel's pressure verdict.
class MemoryDetailBody : public DetailBodyBase {
    Q_OBJECT
public:
    MemoryDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    // The explanations (hover help and info popups).
    static QString appHelp();
    static QString wiredHelp();
    static QString compressedHelp();
    static QString swapHelp();
    static QString cachedHelp();        // the Cached row
    static QString freeHelp();          // the Free row's info button
    static QString cachedSwitchHelp();  // the switch row's hover help
    static QString cachedSwitchInfo();  // the switch row's info button
    static QString pressureInfo();      // the pressure row's info button

    bool showCached() const { return m_showCached; }
    PopupDonut* donut() const { return m_donut; }
    MiniSwitch* cachedSwitch() const { return m_switch; }
    PopupBreakdownRow* row(const QString& label) const;
    QGraphicsOpacityEffect* cachedRowOpacity() const { return m_cachedOpacity; }
    QLabel* pressureLabel() const { return m_pressureLabel; }
    PopupDot* pressureDot() const { return m_pressureDot; }

protected:
    void refresh() override;
    void showEvent(QShowEvent* event) override;

private:
    // The "show cached" switch row, in the cached segment's colour while on.
    void refreshSwitch(const QColor& cachedColour);
    // The pressure dot and its text.
    void refreshPressure(MemoryPressureLevel pressure);
    void userToggledCached(bool on);
    // The category rows, top to bottom.
    std::array<PopupBreakdownRow*, 7> rows() const;

    bool m_showCached;
    PopupDonut* m_donut;
    QLabel* m_switchSymbol;
    QString m_switchSymbolKey; // colour, size and scale of the drawn symbol
    QLabel* m_switchLabel;
    MiniSwitch* m_switch;
    PopupBreakdownRow* m_app;
    PopupBreakdownRow* m_wired;
    PopupBreakdownRow* m_compressed;
    PopupBreakdownRow* m_cached;
    QGraphicsOpacityEffect* m_cachedOpacity;
    PopupBreakdownRow* m_swap;
    PopupBreakdownRow* m_free;
    PopupBreakdownRow* m_total;
    PopupDot* m_pressureDot;
    QLabel* m_pressureLabel;
};

} // namespace gaugelet
