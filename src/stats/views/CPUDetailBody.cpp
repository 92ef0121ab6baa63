#include "stats/views/CPUDetailBody.h"

#include "charts/PopupBreakdownRow.h"
#include "charts/PopupRingGrid.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/CPUExtras.h"
#include "stats/ChartMath.h"
#include "stats/Palette.h"
#include "stats/Prefs.h"
#include "stats/ProviderHistorySlice.h"
#include "views/Divider.h"

#include <QVBoxLayout>

namespace gaugelet {

namespace {
QString meanPercent(double sum, int count)
{
    const double mean = count > 0 ? ChartMath::finite(sum / count) : 0.0;
    return QString::number(ChartMath::saturatingRound(mean * 100)) + QLatin1Char('%');
}
} // namespace

CPUDetailBody::CPUDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
    : PercentBarsDetailBody(snapshot, env, {SettingsSchema::smoothCharts, SettingsSchema::popupFontSize},
                            {QStringLiteral("user"), tr("User")}, {QStringLiteral("system"), tr("System")}, parent)
{
    setObjectName(QStringLiteral("CPUDetailBody"));
    QVBoxLayout* layout = column();
    m_divider = new Divider(this);
    layout->addWidget(m_divider);
    m_grid = new PopupRingGrid(20, 3, 2.5, this);
    layout->addWidget(m_grid);
    m_performance = new PopupBreakdownRow(tr("Performance Cores"), QString(), QColor(), 11, nullptr, this);
    m_efficiency = new PopupBreakdownRow(tr("Efficiency Cores"), QString(), QColor(), 11, nullptr, this);
    layout->addWidget(m_performance);
    layout->addWidget(m_efficiency);

    refresh();
}

void CPUDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();

    refreshBars(colours.accent1, colours.accent2);

    // Rings from the per-processor values of the reading shown.
    QList<PopupRingCell> cells;
    double performanceSum = 0, efficiencySum = 0;
    int performanceCount = 0, efficiencyCount = 0;
    if (const CPUExtras* record = shownRecord<CPUExtras>(CPUExtras::key)) {
        cells.reserve(record->perCore.size());
        for (const CPUCoreSample& core : record->perCore) {
            const bool performance = core.kind == CPUCoreKind::performance;
            cells.append(PopupRingCell{core.value, performance ? colours.accent1 : colours.accent2});
            (performance ? performanceSum : efficiencySum) += ChartMath::finite(core.value);
            ++(performance ? performanceCount : efficiencyCount);
        }
    }
    m_grid->setCores(cells);
    const bool hasCores = !cells.isEmpty();
    m_divider->setVisible(hasCores);
    m_grid->setVisible(hasCores);

    const qreal fontSize = rowFontSize(2, 11);
    m_performance->setDot(colours.accent1);
    m_performance->setFontSize(fontSize);
    m_performance->setValue(meanPercent(performanceSum, performanceCount));
    m_performance->setVisible(performanceCount > 0);
    m_efficiency->setDot(colours.accent2);
    m_efficiency->setFontSize(fontSize);
    m_efficiency->setValue(meanPercent(efficiencySum, efficiencyCount));
    m_efficiency->setVisible(efficiencyCount > 0);
}

} // namespace gaugelet
