#pragma once

#include "charts/PopupBars.h"
#include "stats/HistorySample.h"
#include "stats/ProviderHistorySlice.h"
#include "stats/views/StatDetailView.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QBoxLayout>
#include <QPointer>
#include <QSet>

namespace gaugelet {

class PopupLegendItem;
struct Palette;

// What the four detail views share: the snapshot they show, the environment
// they read history and palette from, and one coalesced refresh per
// event-loop turn when the history, the palette or a watched setting changes.
// A newer snapshot refreshes at once; nothing is ever rebuilt.
class DetailBodyBase : public StatDetailView {
    Q_OBJECT
public:
    void setSnapshot(const StatSnapshot& snapshot) override;
    const StatSnapshot& snapshot() const { return m_snapshot; }

    // The row font size from "global.popupFontSize": a stored size above 0
    // less `reduction`, clamped to 9 … 16; otherwise the fallback.
    static qreal rowFontSize(double reduction, qreal fallback);
    // The value of the first series with the id; 0 when there is none or it
    // is not a finite number.
    static double seriesValue(const QList<Series>& breakdown, QStringView id);
    // A figure formatted with a printf format of one double; NaN and
    // infinities show as 0.
    static QString figure(const char* format, double value);

protected:
    DetailBodyBase(const StatSnapshot& snapshot, const ViewEnvironment& env, QSet<QString> watchedKeys,
                   QWidget* parent);

    // Re-reads everything and updates the widgets in place.
    virtual void refresh() = 0;
    void scheduleRefresh();

    const ViewEnvironment& env() const { return m_env; }
    const Palette& palette() const;
    // The snapshot provider's history slice (none without a history store or
    // a provider id).
    ProviderHistorySlice* slice() const { return m_slice; }
    QList<HistorySample> samples() const;
    int windowSeconds() const;
    // The history as bars stacking two series given in percent, on a scale of
    // one, flowing with smooth charts.
    PopupBars::Input percentBars(QStringView first, QStringView second, const QColor& firstTint,
                                 const QColor& secondTint) const;
    // Two legend items side by side, flush left, at the end of a column.
    static void addLegendRow(QBoxLayout* column, PopupLegendItem* first, PopupLegendItem* second);
    // The provider record the view's figures come from: the one of the
    // snapshot the view was given (the reading the row's header shows), or,
    // when that snapshot carries none, the history slice's merged record.
    // The slice runs ahead of the header for a moment after each sample (it
    // is recorded before the registry publishes), so the header's reading
    // comes first and the figures of one row agree.
    template <typename T>
    const T* shownRecord(const QString& key) const
    {
        if (const T* own = m_snapshot.extra<T>(key))
            return own;
        if (!m_slice)
            return nullptr;
        const auto it = m_slice->extras().constFind(key);
        return it == m_slice->extras().cend() ? nullptr : std::any_cast<T>(&*it);
    }

private:
    void attachSlice();

    StatSnapshot m_snapshot;
    ViewEnvironment m_env;
    QSet<QString> m_watchedKeys;
    QPointer<ProviderHistorySlice> m_slice;
    QMetaObject::Connection m_appended;
    QMetaObject::Connection m_extrasChanged;
    TurnCoalescer m_refreshTurn{this, [this] { refresh(); }};
};

} // namespace gaugelet
