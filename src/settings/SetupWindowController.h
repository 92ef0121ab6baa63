#pragma once

#include <QObject>

namespace gaugelet {

// Owner of the optional first-run setup window. Creates no window until
// showIfNeeded() decides one is needed. Main thread.
class SetupWindowController : public QObject {
    Q_OBJECT
public:
    explicit SetupWindowController(QObject* parent = nullptr);

    // Called once after launch.
    void showIfNeeded();
};

} // namespace gaugelet
