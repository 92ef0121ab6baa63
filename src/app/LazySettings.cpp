#include "app/LazySettings.h"

namespace gaugelet {

// Placeholder until the settings window lands.
LazySettings::LazySettings(const ViewEnvironment& env, QObject* parent) : QObject(parent), m_env(env) {}

void LazySettings::show() {}

} // namespace gaugelet
