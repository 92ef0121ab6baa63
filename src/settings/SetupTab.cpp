#include "settings/SetupTab.h"

namespace gaugelet {

SetupTab::SetupTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env) {}

} // namespace gaugelet
