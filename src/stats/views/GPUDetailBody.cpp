#include "stats/views/GPUDetailBody.h"

#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/Palette.h"

namespace gaugelet {

GPUDetailBody::GPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
    : PercentBarsDetailBody(snapshot, env, {SettingsSchema::smoothCharts}, {QStringLiteral("device"), tr("Device")},
                            {QStringLiteral("renderer"), tr("Renderer")}, parent)
{
    setObjectName(QStringLiteral("GPUDetailBody"));
    refresh();
}

void GPUDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();
    refreshBars(colours.accent3, colours.accent4);
}

} // namespace gaugelet
