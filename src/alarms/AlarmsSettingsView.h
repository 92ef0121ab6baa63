#pragma once

#include "platform/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

// The settings window's "Alarms" tab (placeholder until it is built).
class AlarmsSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit AlarmsSettingsView(const ViewEnvironment& env, QWidget* parent = nullptr);

private:
    ViewEnvironment m_env;
};

} // namespace gaugelet
