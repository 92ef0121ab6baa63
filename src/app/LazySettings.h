#pragma once

#include "platform/ViewEnvironment.h"

#include <QObject>

namespace gaugelet {

// The one settings window. Its content is built when it is shown and dropped
// one event-loop turn after it closes, so a closed settings window costs
// nothing. Closing it never quits the program. Main thread.
class LazySettings : public QObject {
    Q_OBJECT
public:
    explicit LazySettings(const ViewEnvironment& env, QObject* parent = nullptr);

    // Shows the window (building its content), or brings an open one to the front.
    void show();
    bool isBuilt() const { return m_built; }

private:
    ViewEnvironment m_env;
    bool m_built = false;
};

} // namespace gaugelet
