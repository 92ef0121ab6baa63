#pragma once

#include "stats/views/PercentBarsDetailBody.h"

namespace gaugelet {

// The GPU row's detail: a minute of stacked device and renderer bars and
// their legend.
class GPUDetailBody : public PercentBarsDetailBody {
    Q_OBJECT
public:
    GPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    PopupLegendItem* deviceLegend() const { return firstLegend(); }
    PopupLegendItem* rendererLegend() const { return secondLegend(); }

protected:
    void refresh() override;
};

} // namespace gaugelet
