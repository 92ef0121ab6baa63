#include "settings/stats/StatsTab.h"

#include "platform/core/MainThread.h"
#include "settings/shared/ScrollingPage.h"
#include "settings/stats/PresetsSection.h"
#include "settings/stats/SpriteCustomizeSection.h"

#include <QVBoxLayout>

namespace gaugelet {

StatsTab::StatsTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QVBoxLayout* column = addSectionsPage(this);
    m_presets = new PresetsSection(env, column->parentWidget());
    column->addWidget(m_presets);
    m_sprites = new SpriteCustomizeSection(env, column->parentWidget());
    column->addWidget(m_sprites);
    column->addStretch(1);
}

} // namespace gaugelet
