#pragma once

#include "stats/Theme.h"
#include "views/KeyedRows.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QScrollArea;

namespace gaugelet {

class PinChip;
class StatProvider;

// The "Pin as:" bar under a provider row: one chip per visualizer on offer,
// each toggling a menu-bar pin of this provider with that visualizer.
class PinBar : public QWidget {
    Q_OBJECT
public:
    PinBar(StatProvider* provider, const ViewEnvironment& env, QWidget* parent = nullptr);

    // The visualizer ids on offer, in registry order: never one the provider
    // excludes; "viz.pie" and "viz.sparkline" only while already pinned.
    static QStringList offeredVisualizerIds(const StatProvider& provider, const VisualizerRegistry& visualizers,
                                            const PinManager& pins);
    static bool isPinned(const PinManager& pins, const QString& providerId, const QString& visualizerId);

    // Brings the chips up to date: rebuilds them only when the offers changed,
    // otherwise updates their pinned state and previews in place.
    void refresh();

    QList<PinChip*> chips() const { return m_chips.rows(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateScrollHeight();
    void rebuildChips(const QStringList& offers);
    Theme currentTheme() const;

    StatProvider* m_provider;
    ViewEnvironment m_env;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_strip = nullptr;
    QHBoxLayout* m_stripLayout = nullptr;
    QStringList m_offers;
    KeyedRows<QString, PinChip> m_chips;
};

} // namespace gaugelet
