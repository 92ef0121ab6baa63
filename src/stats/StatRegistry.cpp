#include "stats/StatRegistry.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"
#include "platform/core/Observe.h"
#include "schema/SettingsSchema.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatHistoryStore.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

// One sample: awaits the provider on its sampler, then (back on the main
// thread) stamps and applies the result if the registry still exists. The
// task holds the provider, so a provider outlives its own sample.
QCoro::Task<> runSample(std::shared_ptr<StatProvider> provider, QString providerId, QPointer<StatRegistry> registry,
                        std::function<void(StatRegistry*, const QString&, StatSnapshot)> apply)
{
    StatSnapshot snapshot = co_await provider->sample();
    if (!registry)
        co_return;
    snapshot.providerId = providerId;
    snapshot.badgeText = StatRegistry::badgeText(*provider);
    apply(registry.data(), providerId, std::move(snapshot));
}

} // namespace

StatRegistry::StatRegistry(Providers providers, QObject* parent)
    : QObject(parent), m_providers(std::move(providers))
{
    m_flushTimer.setSingleShot(true);
    // Never early: a window that closed before its time would only be armed again.
    m_flushTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_flushTimer, &QTimer::timeout, this, &StatRegistry::windowTimerFired);
}

StatRegistry::~StatRegistry() = default;

StatProvider* StatRegistry::provider(QStringView id) const
{
    for (const auto& p : m_providers) {
        if (p->id() == id)
            return p.get();
    }
    return nullptr;
}

QString StatRegistry::badgeText(const StatProvider& provider)
{
    if (auto stored = Defaults::standard()->string(SettingsSchema::tagOverride.key(provider.id())))
        return *stored;
    return provider.shortName();
}

bool StatRegistry::isEnabled(const StatProvider& provider)
{
    return !m_enablement || m_enablement->isEnabled(provider.id());
}

void StatRegistry::start(RenderClock* clock, StatHistoryStore* history, ProviderEnablementStore* enablement)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    stop();
    m_clock = clock;
    m_history = history;
    m_enablement = enablement;

    m_startingSamples = true;
    for (const auto& p : m_providers) {
        if (!isEnabled(*p))
            continue;
        const double now = MediaClock::now();
        if (m_inflight.contains(p->id()))
            continue;
        startSample(p, now);
    }
    m_startingSamples = false;
    closeWindowWhenNothingInFlight();

    if (clock) {
        m_clockSub = subscribeWithCurrent(clock, &RenderClock::tick, &RenderClock::tickChanged, this, [this](int) {
            if (m_clock && m_clock->tick() > 0)
                tick(m_clock->tickTime());
            else
                tick();
        });
    }
}

void StatRegistry::stop()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_clockSub)
        disconnect(m_clockSub);
    m_clockSub = {};
    m_clock.clear();
    m_inflight.clear();
}

void StatRegistry::tick()
{
    tick(MediaClock::now());
}

void StatRegistry::tick(double now)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_startingSamples = true;
    for (const auto& p : m_providers) {
        if (!isEnabled(*p))
            continue;
        const QString& id = p->id();
        const double elapsed = now - m_lastSnapshotAt.value(id, 0.0);
        if (p->refreshInterval() <= elapsed && !m_inflight.contains(id))
            startSample(p, now);
    }
    m_startingSamples = false;
    closeWindowWhenNothingInFlight();
}

void StatRegistry::startSample(const std::shared_ptr<StatProvider>& provider, double now)
{
    const QString id = provider->id();
    m_inflight.insert(id);
    m_lastSnapshotAt.insert(id, now);
    runSample(provider, id, QPointer<StatRegistry>(this),
              [](StatRegistry* registry, const QString& providerId, StatSnapshot snapshot) {
                  registry->apply(providerId, std::move(snapshot));
              });
}

void StatRegistry::apply(const QString& providerId, StatSnapshot snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_snapshots.insert(providerId, snapshot);
    if (m_history)
        m_history->record(snapshot);
    m_inflight.remove(providerId);
    scheduleFlush();
    closeWindowWhenNothingInFlight();
}

void StatRegistry::closeWindowWhenNothingInFlight()
{
    // Every sample started has landed: nothing more comes for the window to
    // collect, so it closes as soon as the last publish is a quarter second
    // past (on this turn of the loop when the samples came on one tick),
    // rather than waking the main thread again a quarter second later. Not
    // while a pass is still starting samples: one that answered at once
    // leaves the others to come.
    if (!m_startingSamples && m_inflight.isEmpty() && m_flushScheduled)
        armWindow();
}

double StatRegistry::windowClosesAt() const
{
    constexpr double window = flushDelayMs / 1000.0;
    const double end = m_windowOpenedAt + window;
    if (m_startingSamples || !m_inflight.isEmpty())
        return end;
    return m_lastPublishAt ? std::min(end, *m_lastPublishAt + window) : m_windowOpenedAt;
}

void StatRegistry::armWindow()
{
    const double left = windowClosesAt() - MediaClock::now();
    m_flushTimer.start(left > 0 ? int(std::ceil(left * 1000)) : 0);
}

void StatRegistry::windowTimerFired()
{
    // The window is kept in media time; a timer that fires before it (a
    // clock the tests move by hand) waits on.
    if (MediaClock::now() < windowClosesAt()) {
        armWindow();
        return;
    }
    flush();
}

void StatRegistry::scheduleFlush()
{
    m_dirty = true;
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    m_windowOpenedAt = MediaClock::now();
    armWindow();
}

void StatRegistry::flush()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_flushTimer.stop();
    m_flushScheduled = false;
    if (!m_dirty)
        return;
    m_dirty = false;
    m_lastPublishAt = MediaClock::now();
    Q_EMIT objectWillChange();
    Q_EMIT snapshotsPublisher(m_snapshots);
}

} // namespace gaugelet
