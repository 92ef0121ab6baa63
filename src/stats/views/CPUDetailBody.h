#pragma once

#include "charts/PopupRingCell.h"
#include "stats/views/PercentBarsDetailBody.h"

namespace gaugelet {

class PopupBreakdownRow;
class Divider;
class PopupRingGrid;

// The CPU row's detail: a minute of stacked user and system bars, the
// user/system legend and, when the newest sample has per-processor values, one
// ring per processor and the mean load of the performance and efficiency
// cores.
class CPUDetailBody : public PercentBarsDetailBody {
    Q_OBJECT
public:
    CPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    PopupLegendItem* userLegend() const { return firstLegend(); }
    PopupLegendItem* systemLegend() const { return secondLegend(); }
    PopupRingGrid* ringGrid() const { return m_grid; }
    Divider* coresDivider() const { return m_divider; }
    PopupBreakdownRow* performanceRow() const { return m_performance; }
    PopupBreakdownRow* efficiencyRow() const { return m_efficiency; }

protected:
    void refresh() override;

private:
    Divider* m_divider;
    PopupRingGrid* m_grid;
    PopupBreakdownRow* m_performance;
    PopupBreakdownRow* m_efficiency;
};

} // namespace gaugelet
