#include "stats/views/GPUDetailBody.h"

#include "charts/PopupBars.h"
#include "charts/PopupLegendItem.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/Palette.h"
#include "stats/Prefs.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace gaugelet {

GPUDetailBody::GPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
    : DetailBodyBase(snapshot, env, {SettingsSchema::smoothCharts}, parent)
{
    setObjectName(QStringLiteral("GPUDetailBody"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::m));
    m_bars = new PopupBars(this);
    layout->addWidget(m_bars);
    m_device = new PopupLegendItem(tr("Device"), QColor(), QString(), this);
    m_renderer = new PopupLegendItem(tr("Renderer"), QColor(), QString(), this);
    addLegendRow(layout, m_device, m_renderer);
    refresh();
}

void GPUDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();
    m_bars->setInput(percentBars(u"device", u"renderer", colours.accent3, colours.accent4));

    m_device->setTint(colours.accent3);
    m_device->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, u"device")));
    m_renderer->setTint(colours.accent4);
    m_renderer->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, u"renderer")));
}

} // namespace gaugelet
