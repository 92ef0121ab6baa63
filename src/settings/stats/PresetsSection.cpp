#include "settings/stats/PresetsSection.h"

#include "menubar/MenubarPreset.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/MainThread.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/PresetCard.h"

#include <QLabel>
#include "stats/StatRegistry.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QHBoxLayout>
#include <QTimer>

namespace gaugelet {

PresetsSection::PresetsSection(const ViewEnvironment& env, QWidget* parent)
    : GroupedSection(tr("Quick looks"), parent, Rows::compact), m_env(env)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* row = new QHBoxLayout;
    row->setSpacing(Spacing::px(Spacing::Step::m));
    for (const MenubarPreset& preset : MenubarPreset::all()) {
        auto* card = new PresetCard(preset, panel());
        row->addWidget(card, 1, Qt::AlignTop);
        m_cards.append(card);
        connect(card, &PresetCard::clicked, this, [this, preset] {
            GAUGELET_ASSERT_MAIN_THREAD();
            if (m_env.pins && m_env.registry && m_env.visualizers)
                preset.apply(*m_env.pins, *m_env.registry, *m_env.visualizers);
            refresh();
        });
    }
    addLayoutRow(row);
    addRow(TextLabel::caption(tr("A quick look replaces every pinned tile and its name/value styling. Sizes, "
                                    "colours and themes are left alone."),
                                 panel()));
    refresh();
    if (m_env.pins)
        connect(m_env.pins, &PinManager::pinsChanged, this, &PresetsSection::scheduleRefresh);
    if (m_env.visualizers)
        connect(m_env.visualizers, &VisualizerRegistry::visualizersChanged, this, &PresetsSection::scheduleRefresh);
}

void PresetsSection::scheduleRefresh()
{
    m_refreshTurn.request();
}

void PresetsSection::refresh()
{
    if (!m_env.pins || !m_env.registry || !m_env.visualizers)
        return;
    for (PresetCard* card : std::as_const(m_cards))
        card->setCurrent(card->preset().matches(m_env.pins->pins(), *m_env.registry, *m_env.visualizers));
}

} // namespace gaugelet
