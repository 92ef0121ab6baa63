#pragma once

#include "platform/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

// The settings window's "Themes" tab (placeholder until it is built).
class ThemesTab : public QWidget {
    Q_OBJECT
public:
    explicit ThemesTab(const ViewEnvironment& env, QWidget* parent = nullptr);

private:
    ViewEnvironment m_env;
};

} // namespace gaugelet
