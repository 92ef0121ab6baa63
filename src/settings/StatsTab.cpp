#include "settings/StatsTab.h"

namespace gaugelet {

StatsTab::StatsTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env) {}

} // namespace gaugelet
