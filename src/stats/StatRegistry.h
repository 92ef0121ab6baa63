#pragma once

#include "stats/StatProvider.h"
#include "stats/StatSnapshot.h"

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

namespace gaugelet {

class RenderClock;
class StatHistoryStore;
class ProviderEnablementStore;

// The single owner of the current snapshots. On every render-clock tick it
// starts a sample of each enabled provider whose refresh interval has passed,
// stamps and stores the results, records them in the history, and publishes
// the whole dictionary at most once per 0.25 s window: first the change
// notice, then snapshotsPublisher. A window closes early, on the turn of the
// loop its last sample lands in, when no sample is in flight and the last
// publish is a quarter second past; else when that quarter second has passed
// (and at the latest a quarter second after it opened). The window is kept in
// media time.
class StatRegistry : public QObject {
    Q_OBJECT
public:
    using Snapshots = QHash<QString, StatSnapshot>;
    using Providers = std::vector<std::shared_ptr<StatProvider>>;

    static constexpr int flushDelayMs = 250;

    explicit StatRegistry(Providers providers, QObject* parent = nullptr);
    ~StatRegistry() override;

    // The four built-in providers (CPU, GPU, memory, network) in that order.
    static std::unique_ptr<StatRegistry> makeDefaultRegistry();

    const Snapshots& snapshots() const { return m_snapshots; }
    const Providers& providers() const { return m_providers; }
    StatProvider* provider(QStringView id) const;

    void start(RenderClock* clock, StatHistoryStore* history, ProviderEnablementStore* enablement);
    void stop();

    // "tag.override.<id>" when a string is stored there (even empty), else the short name.
    static QString badgeText(const StatProvider& provider);

    // Introspection for tests and diagnostics.
    bool isDirty() const { return m_dirty; }
    bool isFlushScheduled() const { return m_flushScheduled; }
    const QSet<QString>& inflight() const { return m_inflight; }
    const QHash<QString, double>& lastSnapshotAt() const { return m_lastSnapshotAt; }

    // One tick pass at the media time now, or at `now`; the clock's ticks
    // pass at the time of the deadline each stands for, so a provider of a
    // one-second interval is sampled at every tick of a one-hertz clock
    // however early or late its wake-ups come.
    void tick();
    void tick(double now);
    // Marks the registry dirty and opens a 0.25 s publish window unless one
    // is open; the window closes early once no sample is in flight, never
    // within 0.25 s of the last publish.
    void scheduleFlush();
    // Publishes when dirty: the change notice, then the dictionary, at once.
    // Normally run when the publish window closes.
    void flush();

Q_SIGNALS:
    void objectWillChange();
    void snapshotsPublisher(const gaugelet::StatRegistry::Snapshots& snapshots);

private:
    bool isEnabled(const StatProvider& provider);
    void startSample(const std::shared_ptr<StatProvider>& provider, double now);
    void closeWindowWhenNothingInFlight();
    // The media time at which the open window may close.
    double windowClosesAt() const;
    void armWindow();
    void windowTimerFired();
    void apply(const QString& providerId, StatSnapshot snapshot);

    Snapshots m_snapshots;
    bool m_dirty = false;
    bool m_flushScheduled = false;
    bool m_startingSamples = false;
    double m_windowOpenedAt = 0;
    std::optional<double> m_lastPublishAt;
    Providers m_providers;
    QHash<QString, double> m_lastSnapshotAt;
    QSet<QString> m_inflight;
    QTimer m_flushTimer;
    QMetaObject::Connection m_clockSub;
    QPointer<RenderClock> m_clock;
    QPointer<StatHistoryStore> m_history;
    QPointer<ProviderEnablementStore> m_enablement;
};

} // namespace gaugelet
