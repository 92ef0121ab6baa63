#pragma once

#include "platform/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

// The settings window's "Store" tab (placeholder until it is built).
class StoreTab : public QWidget {
    Q_OBJECT
public:
    explicit StoreTab(const ViewEnvironment& env, QWidget* parent = nullptr);

private:
    ViewEnvironment m_env;
};

} // namespace gaugelet
