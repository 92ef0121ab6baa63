#include "lifecycle/AppLifecycle.h"

#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/desktop/WorkspaceNotifications.h"
#include "stats/RenderClock.h"

namespace gaugelet {

AppLifecycle::AppLifecycle(RenderClock* clock, WorkspaceNotifications* workspace, QObject* parent)
    : QObject(parent), m_clock(clock)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!workspace)
        workspace = WorkspaceNotifications::shared();
    // Queued onto the main thread whatever thread the source signals on; the
    // connections die with this object, so a late notification does nothing.
    const auto onMain = Qt::QueuedConnection;
    m_observers << connect(workspace, &WorkspaceNotifications::screensDidSleep, this, &AppLifecycle::pause, onMain);
    m_observers << connect(workspace, &WorkspaceNotifications::screensDidWake, this, &AppLifecycle::resume, onMain);
    m_observers << connect(workspace, &WorkspaceNotifications::sessionDidResignActive, this, &AppLifecycle::pause,
                           onMain);
    m_observers << connect(workspace, &WorkspaceNotifications::sessionDidBecomeActive, this, &AppLifecycle::resume,
                           onMain);
}

AppLifecycle::~AppLifecycle()
{
    for (const auto& observer : std::as_const(m_observers))
        disconnect(observer);
}

void AppLifecycle::pause()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (RenderClock* clock = m_clock.data()) {
        // RenderClock::suspend checks running, not suspended and a timer itself.
        if (clock->isRunning() && !clock->isSuspended() && clock->hasTimer())
            clock->suspend();
    }
    setPaused(true);
}

void AppLifecycle::resume()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (RenderClock* clock = m_clock.data()) {
        if (clock->isRunning() && clock->isSuspended() && clock->hasTimer())
            clock->resume();
    }
    setPaused(false);
}

void AppLifecycle::setPaused(bool paused)
{
    publish(this, m_paused, paused, &AppLifecycle::pausedWillChange, &AppLifecycle::pausedChanged);
}

} // namespace gaugelet
