#include "stats/views/DetailBodyBase.h"

#include "charts/PopupLegendItem.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/ChartMath.h"
#include "stats/Palette.h"
#include "stats/Prefs.h"
#include "stats/ProviderHistorySlice.h"
#include "stats/StatHistoryStore.h"
#include "stats/ThemeStore.h"
#include "views/Spacing.h"

#include <algorithm>

namespace gaugelet {

DetailBodyBase::DetailBodyBase(const StatSnapshot& snapshot, const ViewEnvironment& env, QSet<QString> watchedKeys,
                               QWidget* parent)
    : StatDetailView(parent), m_snapshot(snapshot), m_env(env), m_watchedKeys(std::move(watchedKeys))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_env.theme)
        connect(m_env.theme, &ThemeStore::paletteChanged, this, &DetailBodyBase::scheduleRefresh);
    if (auto* defaults = Defaults::standard()) {
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (m_watchedKeys.contains(key))
                scheduleRefresh();
        });
    }
    attachSlice();
}

void DetailBodyBase::setSnapshot(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool otherProvider = snapshot.providerId != m_snapshot.providerId;
    m_snapshot = snapshot;
    if (otherProvider)
        attachSlice();
    refresh();
}

qreal DetailBodyBase::rowFontSize(double reduction, qreal fallback)
{
    const double stored = Prefs::doubleValue(SettingsSchema::popupFontSize, 0);
    if (stored > 0)
        return std::clamp(stored - reduction, 9.0, 16.0);
    return fallback;
}

double DetailBodyBase::seriesValue(const QList<Series>& breakdown, QStringView id)
{
    for (const Series& s : breakdown) {
        if (s.id == id)
            return ChartMath::finite(s.value);
    }
    return 0;
}

QString DetailBodyBase::figure(const char* format, double value)
{
    return QString::asprintf(format, ChartMath::finite(value));
}

void DetailBodyBase::scheduleRefresh()
{
    m_refreshTurn.request();
}

const Palette& DetailBodyBase::palette() const
{
    if (m_env.theme)
        return m_env.theme->palette();
    return Palette::builtIns().first();
}

QList<HistorySample> DetailBodyBase::samples() const
{
    return m_slice ? m_slice->samples() : QList<HistorySample>();
}

int DetailBodyBase::windowSeconds() const
{
    if (m_slice)
        return m_slice->capacity();
    return m_env.history ? m_env.history->capacity() : StatHistoryStore::defaultCapacity;
}

void DetailBodyBase::attachSlice()
{
    disconnect(m_appended);
    disconnect(m_extrasChanged);
    m_slice = nullptr;
    if (!m_env.history || m_snapshot.providerId.isEmpty())
        return;
    m_slice = m_env.history->slice(m_snapshot.providerId);
    m_appended = connect(m_slice, &ProviderHistorySlice::appended, this, &DetailBodyBase::scheduleRefresh);
    m_extrasChanged = connect(m_slice, &ProviderHistorySlice::extrasChanged, this, &DetailBodyBase::scheduleRefresh);
}

PopupBars::Input DetailBodyBase::percentBars(QStringView first, QStringView second, const QColor& firstTint,
                                             const QColor& secondTint) const
{
    PopupBars::Input bars;
    const QList<HistorySample> history = samples();
    bars.buckets.reserve(history.size());
    bars.times.reserve(history.size());
    for (const HistorySample& s : history) {
        bars.buckets.append({seriesValue(s.breakdown, first) / 100, seriesValue(s.breakdown, second) / 100});
        bars.times.append(s.t);
    }
    bars.tints = {firstTint, secondTint};
    bars.yMax = 1.0;
    bars.window = windowSeconds();
    bars.height = 60;
    bars.flowing = SettingsSchema::boolean(SettingsSchema::smoothCharts);
    return bars;
}

void DetailBodyBase::addLegendRow(QBoxLayout* column, PopupLegendItem* first, PopupLegendItem* second)
{
    auto* legend = new QHBoxLayout;
    legend->setSpacing(Spacing::px(Spacing::Step::l));
    legend->addWidget(first);
    legend->addWidget(second);
    legend->addStretch(1);
    column->addLayout(legend);
}

} // namespace gaugelet
