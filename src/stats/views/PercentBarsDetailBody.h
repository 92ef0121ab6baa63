#pragma once

#include "stats/views/DetailBodyBase.h"

class QVBoxLayout;

namespace gaugelet {

class PopupBars;
class PopupLegendItem;

// A detail view that opens with a minute of two stacked percent series as
// bars over their legend, the legend showing the shown reading's figures (the
// CPU's user and system, the GPU's device and renderer). What follows the
// legend is the subclass's, in column().
class PercentBarsDetailBody : public DetailBodyBase {
    Q_OBJECT
public:
    PopupBars* bars() const { return m_bars; }

protected:
    // A series of the breakdown by id, with its legend text.
    struct LegendSeries {
        QString id;
        QString label;
    };

    PercentBarsDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QSet<QString> watchedKeys,
                          const LegendSeries& first, const LegendSeries& second, QWidget* parent);

    QVBoxLayout* column() const { return m_column; }
    PopupLegendItem* firstLegend() const { return m_firstLegend; }
    PopupLegendItem* secondLegend() const { return m_secondLegend; }
    // The bars and the legend in the two tints.
    void refreshBars(const QColor& firstTint, const QColor& secondTint);

private:
    QString m_firstId;
    QString m_secondId;
    QVBoxLayout* m_column;
    PopupBars* m_bars;
    PopupLegendItem* m_firstLegend;
    PopupLegendItem* m_secondLegend;
};

} // namespace gaugelet
