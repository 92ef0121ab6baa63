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
    auto* legend = new QHBoxLayout;
    legend->setSpacing(Spacing::px(Spacing::Step::l));
    m_device = new PopupLegendItem(tr("Device"), QColor(), QString(), this);
    m_renderer = new PopupLegendItem(tr("Renderer"), QColor(), QString(), this);
    legend->addWidget(m_device);
    legend->addWidget(m_renderer);
    legend->addStretch(1);
    layout->addLayout(legend);
    refresh();
}

void GPUDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();
    PopupBars::Input bars;
    const QList<HistorySample> history = samples();
    bars.buckets.reserve(history.size());
    bars.times.reserve(history.size());
    for (const HistorySample& s : history) {
        bars.buckets.append(
            {seriesValue(s.breakdown, u"device") / 100, seriesValue(s.breakdown, u"renderer") / 100});
        bars.times.append(s.t);
    }
    bars.tints = {colours.accent3, colours.accent4};
    bars.yMax = 1.0;
    bars.window = windowSeconds();
    bars.height = 60;
    bars.flowing = SettingsSchema::boolean(SettingsSchema::smoothCharts);
    m_bars->setInput(std::move(bars));

    m_device->setTint(colours.accent3);
    m_device->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, u"device")));
    m_renderer->setTint(colours.accent4);
    m_renderer->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, u"renderer")));
}

} // namespace gaugelet
