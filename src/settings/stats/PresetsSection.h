#pragma once

#include "views/GroupedSection.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QList>

namespace gaugelet {

class PresetCard;

// "Quick looks": one card per built-in menu-bar preset. The card of the
// preset the menu bar shows now is marked current (several can be); a click
// on any card applies its preset, also on the current one. The marks are
// worked out again whenever the pins or the visualizers change.
class PresetsSection : public GroupedSection {
    Q_OBJECT
public:
    explicit PresetsSection(const ViewEnvironment& env, QWidget* parent = nullptr);

    QList<PresetCard*> cards() const { return m_cards; }

private:
    void scheduleRefresh();
    void refresh();

    ViewEnvironment m_env;
    QList<PresetCard*> m_cards;
    TurnCoalescer m_refreshTurn{this, [this] { refresh(); }};
};

} // namespace gaugelet
