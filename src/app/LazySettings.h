#pragma once

#include "settings/SettingsView.h"
#include "update/SparkleUpdater.h"
#include "views/ViewEnvironment.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace gaugelet {

// The one settings window. It opens at the size its content asks for (540 ×
// 520, larger for a large font), placed by WindowPlacement within the screen's
// available area, and the user may resize it; the content scrolls where it
// must. Its content (the
// settings view and its tabs) is built when the window is shown and dropped
// one event-loop turn after it closes, so a closed settings window costs
// nothing; nothing of it exists before the first opening. Showing it while it
// is open brings it to the front. Closing it never quits the program.
// Main thread.
class LazySettings : public QObject {
    Q_OBJECT
public:
    explicit LazySettings(const ViewEnvironment& env, QObject* parent = nullptr);
    ~LazySettings() override;

    // Shows the window (building its content), or brings an open one to the front.
    void show();
    bool isBuilt() const { return m_built; }

    // The objects the next build hands to the settings view. Without an
    // updater, each build makes one of its own that lives with the content.
    void setEnvironment(const ViewEnvironment& env) { m_env = env; }

    // The window (null before the first opening) and its content (null while
    // not built).
    QWidget* window() const { return m_window.get(); }
    SettingsView* content() const { return m_content.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWindow();
    void build();
    void drop();

    ViewEnvironment m_env;
    bool m_built = false;
    bool m_placed = false;
    bool m_dropPending = false;
    std::unique_ptr<QWidget> m_window;
    QPointer<SettingsView> m_content;
    QPointer<SparkleUpdater> m_ownUpdater;
};

} // namespace gaugelet
