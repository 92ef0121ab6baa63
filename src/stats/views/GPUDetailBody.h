#pragma once

#include "stats/views/DetailBodyBase.h"

namespace gaugelet {

class PopupBars;
class PopupLegendItem;

// The GPU row's detail: a minute of stacked device and renderer bars and
// their legend.
class GPUDetailBody : public DetailBodyBase {
    Q_OBJECT
public:
    GPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    PopupBars* bars() const { return m_bars; }
    PopupLegendItem* deviceLegend() const { return m_device; }
    PopupLegendItem* rendererLegend() const { return m_renderer; }

protected:
    void refresh() override;

private:
    PopupBars* m_bars;
    PopupLegendItem* m_device;
    PopupLegendItem* m_renderer;
};

} // namespace gaugelet
