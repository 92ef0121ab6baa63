#include "settings/ThemesTab.h"

namespace gaugelet {

ThemesTab::ThemesTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env) {}

} // namespace gaugelet
