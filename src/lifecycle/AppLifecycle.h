#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include "stats/RenderClock.h"

namespace gaugelet {


class WorkspaceNotifications;

// Pauses the program's periodic work while nobody can see the menu bar: the
// screens sleep, or the user session is inactive. It suspends and resumes the
// render clock's timer (the only periodic timer) and publishes a paused flag
// that the alarm manager follows.
//
// paused is a published value: every notification assigns it again, so
// subscribers get a value on every notification, equal or not. The signals
// come before (objectWillChange, pausedWillChange) and after (pausedChanged)
// the new value is stored.
class AppLifecycle final : public QObject {
    Q_OBJECT
public:
    // The clock is held weakly. Without a workspace source the process-wide
    // one (logind and the screensaver over D-Bus) is used.
    explicit AppLifecycle(RenderClock* clock, WorkspaceNotifications* workspace = nullptr,
                          QObject* parent = nullptr);
    ~AppLifecycle() override;

    bool paused() const { return m_paused; }
    RenderClock* clock() const { return m_clock.data(); }

    void pause();
    void resume();

Q_SIGNALS:
    void objectWillChange();
    void pausedWillChange(bool paused);
    void pausedChanged(bool paused);

private:
    void setPaused(bool paused);

    bool m_paused = false;
    QPointer<RenderClock> m_clock;
    QList<QMetaObject::Connection> m_observers;
};

} // namespace gaugelet
