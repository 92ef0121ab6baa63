#pragma once

#include "platform/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

// The settings window's "Stats" tab (placeholder until it is built).
class StatsTab : public QWidget {
    Q_OBJECT
public:
    explicit StatsTab(const ViewEnvironment& env, QWidget* parent = nullptr);

private:
    ViewEnvironment m_env;
};

} // namespace gaugelet
