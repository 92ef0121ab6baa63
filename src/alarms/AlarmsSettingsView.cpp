#include "alarms/AlarmsSettingsView.h"

namespace gaugelet {

AlarmsSettingsView::AlarmsSettingsView(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env) {}

} // namespace gaugelet
