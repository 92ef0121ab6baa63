#include "store/StoreTab.h"

namespace gaugelet {

StoreTab::StoreTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env) {}

} // namespace gaugelet
