#pragma once

#include "alarms/Alarm.h"
#include "alarms/AlarmEvaluator.h"
#include "alarms/AlarmSoundPlayers.h"
#include "alarms/AlarmStore.h"
#include "stats/StatRegistry.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QUuid>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace gaugelet {

class AppLifecycle;
class AudioPlayer;

// The alarm engine: owns the list of alarms (stored by AlarmStore as JSON
// under "global.alarms"), evaluates every coalesced snapshot flush against
// each enabled alarm (arming, repeat and snooze by AlarmEvaluator), posts a
// notification and plays the alarm's prepared sound 0.2 s later, pauses with
// the lifecycle watcher, and keeps one prepared audio player per enabled
// alarm (built by AlarmSoundPlayers).
// Main thread only; only the player build runs on a worker.
class AlarmManager : public QObject {
    Q_OBJECT
public:
    using Players = AlarmSoundPlayers::Players;
    using Signatures = AlarmSoundPlayers::Signatures;
    // What a player build returns.
    using PlayerBuild = AlarmSoundPlayers::Build;

    // Delay from a firing's notification to its sound.
    static constexpr int soundDelayMs = 200;
    // Snooze length when an action names an alarm that no longer exists.
    static constexpr qint64 fallbackSnoozeMinutes = 5;

    // Loads the stored alarms and seeds the sample alarm once.
    explicit AlarmManager(QObject* parent = nullptr);
    ~AlarmManager() override;

    // The alarms in user order. Every write runs the change hook once:
    // persist, prune, rebuild the players, ask for notification permission.
    const QList<Alarm>& alarms() const { return m_alarms; }
    void setAlarms(const QList<Alarm>& alarms);
    // The alarms whose statistic is past the threshold (not snoozed).
    const QSet<QUuid>& firing() const { return m_firing; }

    std::optional<QUuid> editingAlarmId() const { return m_editingAlarmId; }
    void setEditingAlarmId(std::optional<QUuid> id);

    // Evaluation (main thread).
    void attach(StatRegistry* registry, AppLifecycle* lifecycle);
    void detach();
    void evaluate(const StatRegistry::Snapshots& snapshots);
    void suppress(const QUuid& id);
    void snooze(const QUuid& id, qint64 minutes);
    void pruneState();

    // Notifications.
    void postNotification(const Alarm& alarm, bool test);
    void requestNotificationAuthIfNeeded();
    // The notification's title and body for an alarm.
    QString notificationTitle(const Alarm& alarm, bool test) const;
    static QString notificationBody(const Alarm& alarm);
    static QString notificationIdentifier(const Alarm& alarm, bool test);

    // Sounds and players.
    std::optional<QUrl> resolveSoundURL(const Alarm& alarm) const;
    void rebuildPlayers();
    QHash<QUuid, QUrl> planPlayerBuild(const QList<Alarm>& alarms, const Signatures& previousSig) const;
    static PlayerBuild buildPlayers(const QList<Alarm>& alarms, const QHash<QUuid, QUrl>& plan,
                                    const Signatures& previousSig, const Players& previousPlayers,
                                    const Signatures& previousFailureSig);
    void playSound(const QUuid& id);
    void preview(const Alarm& alarm);
    // Over the sound choice and the enabled flag, seeded afresh in every process.
    static size_t soundSignature(const Alarm& alarm);

    // State, for the popover, tests and diagnostics.
    bool isPaused() const { return m_paused; }
    bool isAttached() const { return bool(m_snapshotsSub); }
    bool isRebuilding() const { return m_rebuildGeneration != 0; }
    bool hasAttemptedAuthRequest() const { return m_hasAttemptedAuthRequest; }
    const QHash<QUuid, double>& lastFiredAt() const { return m_evaluator.lastFiredAt(); }
    const QHash<QUuid, bool>& armedSinceCleared() const { return m_evaluator.armedSinceCleared(); }
    const QHash<QUuid, double>& snoozedUntil() const { return m_evaluator.snoozedUntil(); }
    const Players& players() const { return m_players; }
    const Signatures& lastPlayerSig() const { return m_lastPlayerSig; }
    const Signatures& lastLoggedFailureSig() const { return m_lastLoggedFailureSig; }
    const std::shared_ptr<AudioPlayer>& scratchTestPlayer() const { return m_scratchTestPlayer; }

Q_SIGNALS:
    void objectWillChange();
    void alarmsChanged();
    void firingChanged();
    // An alarm fired (after its notification was posted, before its sound).
    void alarmFired(const QUuid& id);
    // A player build's result was applied.
    void playersRebuilt();

private:
    void load();
    void seedSampleAlarmIfNeeded();
    void alarmsDidChange();
    void onPausedValue(bool paused);
    void rearmAfterResume();
    void evaluateAlarm(const Alarm& alarm, const StatSnapshot& snapshot, double now);
    void fire(const Alarm& alarm);
    void insertFiring(const QUuid& id);
    void removeFiring(const QUuid& id);
    void setFiring(QSet<QUuid> firing);
    QCoro::Task<> applyRebuild(quint64 generation, QFuture<PlayerBuild> build);
    // Whether a build now would give exactly the current players and signatures.
    bool playersAreCurrent() const;

    QList<Alarm> m_alarms;
    QSet<QUuid> m_firing;
    QPointer<StatRegistry> m_registry;
    QMetaObject::Connection m_snapshotsSub;
    QMetaObject::Connection m_lifecycleSub;
    bool m_paused = false;
    bool m_lastObservedPaused = false;
    std::optional<QUuid> m_editingAlarmId;
    AlarmEvaluator m_evaluator;
    Players m_players;
    Signatures m_lastPlayerSig;
    Signatures m_lastLoggedFailureSig;
    std::shared_ptr<AudioPlayer> m_scratchTestPlayer;
    quint64 m_rebuildGeneration = 0; // the running rebuild; 0 = none
    quint64 m_rebuildCounter = 0;
    bool m_hasAttemptedAuthRequest = false;
    AlarmStore m_store;
};

} // namespace gaugelet
