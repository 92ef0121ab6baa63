#pragma once

#include "platform/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

// The settings window's "Setup" tab (placeholder until it is built).
class SetupTab : public QWidget {
    Q_OBJECT
public:
    explicit SetupTab(const ViewEnvironment& env, QWidget* parent = nullptr);

private:
    ViewEnvironment m_env;
};

} // namespace gaugelet
