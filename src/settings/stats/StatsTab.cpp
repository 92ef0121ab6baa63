#include "settings/stats/StatsTab.h"

#include "platform/core/MainThread.h"
#include "settings/shared/ScrollingPage.h"
#include "settings/stats/PresetsSection.h"
#include "settings/stats/SpriteCustomizeSection.h"
#include "views/Spacing.h"

#include <QVBoxLayout>

namespace gaugelet {

StatsTab::StatsTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(Spacing::margins(Spacing::Step::xxxl, Spacing::Step::xxl, Spacing::Step::xxxl, Spacing::Step::xxxl));
    column->setSpacing(Spacing::px(Spacing::Step::xxl));
    m_presets = new PresetsSection(m_env, form);
    column->addWidget(m_presets);
    m_sprites = new SpriteCustomizeSection(m_env, form);
    column->addWidget(m_sprites);
    column->addStretch(1);
    addScrollingPage(this, form);
    // setWidget turns the content's background filling on; the form shows the window's.
    form->setAutoFillBackground(false);
}

} // namespace gaugelet
