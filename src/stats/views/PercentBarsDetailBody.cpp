#include "stats/views/PercentBarsDetailBody.h"

#include "charts/PopupBars.h"
#include "charts/PopupLegendItem.h"
#include "views/Spacing.h"

#include <QVBoxLayout>

namespace gaugelet {

PercentBarsDetailBody::PercentBarsDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env,
                                             QSet<QString> watchedKeys, const LegendSeries& first,
                                             const LegendSeries& second, QWidget* parent)
    : DetailBodyBase(snapshot, env, std::move(watchedKeys), parent), m_firstId(first.id), m_secondId(second.id)
{
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(Spacing::px(Spacing::Step::m));

    m_bars = new PopupBars(this);
    m_column->addWidget(m_bars);

    m_firstLegend = new PopupLegendItem(first.label, QColor(), QString(), this);
    m_secondLegend = new PopupLegendItem(second.label, QColor(), QString(), this);
    addLegendRow(m_column, m_firstLegend, m_secondLegend);
}

void PercentBarsDetailBody::refreshBars(const QColor& firstTint, const QColor& secondTint)
{
    m_bars->setInput(percentBars(m_firstId, m_secondId, firstTint, secondTint));

    m_firstLegend->setTint(firstTint);
    m_firstLegend->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, m_firstId)));
    m_secondLegend->setTint(secondTint);
    m_secondLegend->setFigure(figure("%.1f%%", seriesValue(snapshot().breakdown, m_secondId)));
}

} // namespace gaugelet
