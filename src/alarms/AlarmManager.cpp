#include "alarms/AlarmManager.h"

#include "alarms/AlarmNotificationDelegate.h"
#include "alarms/AlarmsLog.h"
#include "lifecycle/AppLifecycle.h"
#include "platform/core/AwaitedFuture.h"
#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"
#include "platform/core/Observe.h"
#include "platform/core/Publish.h"
#include "platform/desktop/AudioPlayer.h"
#include "platform/desktop/UserNotificationCenter.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace gaugelet {

AlarmManager::AlarmManager(QObject* parent) : QObject(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    load();
    seedSampleAlarmIfNeeded();
}

AlarmManager::~AlarmManager() = default;

// --- The list and its persistence ---------------------------------------------

void AlarmManager::setAlarms(const QList<Alarm>& alarms)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    publish(this, m_alarms, alarms, &AlarmManager::alarmsChanged);
    alarmsDidChange();
}

void AlarmManager::alarmsDidChange()
{
    m_store.persist(m_alarms);
    pruneState();
    rebuildPlayers();
    requestNotificationAuthIfNeeded();
}

void AlarmManager::load()
{
    if (auto stored = m_store.load())
        setAlarms(*stored);
}

void AlarmManager::seedSampleAlarmIfNeeded()
{
    if (!m_store.takeSeedTurn())
        return;
    if (!m_alarms.isEmpty()) {
        logInfo(lcAlarms, "first-run seed: alarms already populated, skipping sample");
        return;
    }
    setAlarms({AlarmStore::sampleAlarm()});
    logInfo(lcAlarms, "first-run seed: installed sample alarm cpu.total > 80 %%");
}

// --- Evaluation ----------------------------------------------------------------

void AlarmManager::setEditingAlarmId(std::optional<QUuid> id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_editingAlarmId == id)
        return;
    Q_EMIT objectWillChange();
    m_editingAlarmId = id;
}

void AlarmManager::attach(StatRegistry* registry, AppLifecycle* lifecycle)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    detach();
    m_registry = registry;
    if (lifecycle) {
        m_lastObservedPaused = lifecycle->paused();
        m_paused = m_lastObservedPaused;
        // The current value arrives at once and is no transition.
        m_lifecycleSub = subscribeWithCurrent(lifecycle, &AppLifecycle::paused, &AppLifecycle::pausedWillChange,
                                              this, [this](bool paused) { onPausedValue(paused); });
    }
    if (registry) {
        m_snapshotsSub = connect(registry, &StatRegistry::snapshotsPublisher, this,
                                 [this](const StatRegistry::Snapshots& snapshots) { evaluate(snapshots); });
    }
    // detach() dropped the players built at construction: build them again,
    // or every firing until the next edit of the list would be silent.
    rebuildPlayers();
}

void AlarmManager::detach()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_snapshotsSub)
        disconnect(m_snapshotsSub);
    if (m_lifecycleSub)
        disconnect(m_lifecycleSub);
    m_snapshotsSub = {};
    m_lifecycleSub = {};
    m_rebuildGeneration = 0;
    m_players.clear();
    m_lastPlayerSig.clear();
    m_lastLoggedFailureSig.clear();
    m_scratchTestPlayer.reset();
    setFiring({});
}

void AlarmManager::onPausedValue(bool paused)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool old = m_lastObservedPaused;
    m_lastObservedPaused = paused;
    m_paused = paused;
    if (old && !paused)
        rearmAfterResume();
}

void AlarmManager::rearmAfterResume()
{
    const long enabled = m_evaluator.rearm(m_alarms, MediaClock::now());
    setFiring({});
    logInfo(lcAlarms, "alarms re-armed after resume; %ld enabled alarm(s) require fresh cross", enabled);
}

void AlarmManager::evaluate(const StatRegistry::Snapshots& snapshots)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_paused)
        return;
    const double now = MediaClock::now();
    // Firing may change the list (never here, but a slot connected to our
    // signals could): walk a copy.
    const QList<Alarm> alarms = m_alarms;
    for (const Alarm& alarm : alarms) {
        if (!alarm.enabled || alarm.id == m_editingAlarmId)
            continue;
        const auto it = snapshots.constFind(alarm.providerId);
        // A first reading after a start or reset measured nothing yet (CPU
        // and network read 0): a `below` alarm would fire at every launch.
        if (it == snapshots.cend() || it->isFirstReading)
            continue;
        evaluateAlarm(alarm, *it, now);
    }
}

void AlarmManager::evaluateAlarm(const Alarm& alarm, const StatSnapshot& snapshot, double now)
{
    const QUuid& id = alarm.id;
    switch (m_evaluator.check(alarm, snapshot.value, now)) {
    case AlarmEvaluator::Verdict::clear:
        removeFiring(id);
        m_evaluator.clear(id);
        return;
    case AlarmEvaluator::Verdict::snoozed:
        return;
    case AlarmEvaluator::Verdict::hold:
        insertFiring(id);
        return;
    case AlarmEvaluator::Verdict::fire:
        insertFiring(id);
        fire(alarm);
        m_evaluator.recordFiring(id, now);
        return;
    }
}

void AlarmManager::fire(const Alarm& alarm)
{
    if (alarm.notify)
        postNotification(alarm, false);
    const QUuid id = alarm.id;
    QTimer::singleShot(soundDelayMs, this, [this, id] { playSound(id); });
    Q_EMIT alarmFired(id);
}

void AlarmManager::suppress(const QUuid& id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<Alarm> alarms = m_alarms;
    for (Alarm& alarm : alarms) {
        if (alarm.id == id) {
            alarm.enabled = false;
            setAlarms(alarms);
            return;
        }
    }
}

void AlarmManager::snooze(const QUuid& id, qint64 minutes)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // In floating point: a huge length saturates into "a very long time"
    // instead of overflowing.
    m_evaluator.snooze(id, MediaClock::now() + double(minutes) * 60.0);
    removeFiring(id);
}

void AlarmManager::pruneState()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QSet<QUuid> enabled;
    for (const Alarm& alarm : std::as_const(m_alarms)) {
        if (alarm.enabled)
            enabled.insert(alarm.id);
    }
    m_evaluator.prune(enabled);
    QSet<QUuid> firing = m_firing;
    firing.intersect(enabled);
    setFiring(std::move(firing));
}

void AlarmManager::insertFiring(const QUuid& id)
{
    if (m_firing.contains(id))
        return;
    Q_EMIT objectWillChange();
    m_firing.insert(id);
    Q_EMIT firingChanged();
}

void AlarmManager::removeFiring(const QUuid& id)
{
    if (!m_firing.contains(id))
        return;
    Q_EMIT objectWillChange();
    m_firing.remove(id);
    Q_EMIT firingChanged();
}

void AlarmManager::setFiring(QSet<QUuid> firing)
{
    publishIfChanged(this, m_firing, std::move(firing), &AlarmManager::firingChanged);
}

// --- Notifications ---------------------------------------------------------------

QString AlarmManager::notificationTitle(const Alarm& alarm, bool test) const
{
    QString providerName = alarm.providerId;
    if (m_registry) {
        if (StatProvider* provider = m_registry->provider(alarm.providerId))
            providerName = provider->displayName();
    }
    // A whole percentage; saturates (and NaN gives 0) rather than overflowing.
    const QString percent = QString::number(saturatingRound(alarm.threshold * 100.0));
    const QString title = alarm.direction == Alarm::Direction::above ? tr("%1 \u2265 %2%").arg(providerName, percent)
                                                                     : tr("%1 \u2264 %2%").arg(providerName, percent);
    return test ? tr("[TEST] %1").arg(title) : title;
}

QString AlarmManager::notificationBody(const Alarm& alarm)
{
    return tr("Snooze %1m or dismiss to silence.").arg(alarm.notifySnoozeMinutes);
}

QString AlarmManager::notificationIdentifier(const Alarm& alarm, bool test)
{
    return (test ? QStringLiteral("alarm.preview.") : QStringLiteral("alarm.")) + alarm.idString();
}

void AlarmManager::postNotification(const Alarm& alarm, bool test)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    UserNotificationCenter::Request request;
    request.title = notificationTitle(alarm, test);
    request.body = notificationBody(alarm);
    AlarmNotificationDelegate::ensureCategory(alarm.notifySnoozeMinutes);
    request.categoryIdentifier = AlarmNotificationDelegate::categoryIdentifier(alarm.notifySnoozeMinutes);
    request.userInfo.insert(QStringLiteral("alarmId"), alarm.idString());
    request.identifier = notificationIdentifier(alarm, test);

    QPointer<AlarmManager> self(this);
    const QString alarmId = alarm.idString();
    UserNotificationCenter::current()->add(request, [self, alarmId](std::optional<UserNotificationCenter::Error> error) {
        if (error && self)
            logError(lcAlarms, "notification post failed for %s: %s", qUtf8Printable(alarmId),
                     qUtf8Printable(error->describe()));
    });
}

void AlarmManager::requestNotificationAuthIfNeeded()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool wanted = std::any_of(m_alarms.cbegin(), m_alarms.cend(),
                                    [](const Alarm& a) { return a.enabled && a.notify; });
    if (!wanted || m_hasAttemptedAuthRequest)
        return;
    m_hasAttemptedAuthRequest = true;
    QPointer<AlarmManager> self(this);
    UserNotificationCenter::current()->requestAuthorization(
        UserNotificationCenter::alert | UserNotificationCenter::sound,
        [self](bool, std::optional<UserNotificationCenter::Error> error) {
            if (error && self)
                logError(lcAlarms, "notification auth request failed: %s", qUtf8Printable(error->describe()));
        });
}

// --- Sounds and players ----------------------------------------------------------

size_t AlarmManager::soundSignature(const Alarm& alarm)
{
    return AlarmSoundPlayers::soundSignature(alarm);
}

std::optional<QUrl> AlarmManager::resolveSoundURL(const Alarm& alarm) const
{
    return AlarmSoundPlayers::resolveSoundURL(alarm);
}

QHash<QUuid, QUrl> AlarmManager::planPlayerBuild(const QList<Alarm>& alarms, const Signatures& previousSig) const
{
    return AlarmSoundPlayers::plan(alarms, previousSig);
}

AlarmManager::PlayerBuild AlarmManager::buildPlayers(const QList<Alarm>& alarms, const QHash<QUuid, QUrl>& plan,
                                                     const Signatures& previousSig, const Players& previousPlayers,
                                                     const Signatures& previousFailureSig)
{
    return AlarmSoundPlayers::build(alarms, plan, previousSig, previousPlayers, previousFailureSig);
}

void AlarmManager::rebuildPlayers()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // An edit that leaves every sound choice as it is (a threshold dragged
    // through a hundred values, a direction, a repeat) would build exactly
    // the players there are: start nothing.
    if (playersAreCurrent())
        return;
    // A new build supersedes (cancels) the running one: only the most recent
    // result is applied.
    const quint64 generation = ++m_rebuildCounter;
    m_rebuildGeneration = generation;
    const auto plan = planPlayerBuild(m_alarms, m_lastPlayerSig);
    // The worker gets copies and touches nothing of the manager.
    QFuture<PlayerBuild> build = QtConcurrent::run(
        [alarms = m_alarms, plan, previousSig = m_lastPlayerSig, previousPlayers = m_players,
         previousFailureSig = m_lastLoggedFailureSig] {
            return buildPlayers(alarms, plan, previousSig, previousPlayers, previousFailureSig);
        });
    applyRebuild(generation, std::move(build));
}

bool AlarmManager::playersAreCurrent() const
{
    if (m_rebuildGeneration != 0)
        return false; // a build is on its way; the new one must supersede it
    return AlarmSoundPlayers::isCurrent(m_alarms, m_lastPlayerSig, m_lastLoggedFailureSig);
}

QCoro::Task<> AlarmManager::applyRebuild(quint64 generation, QFuture<PlayerBuild> future)
{
    QPointer<AlarmManager> self(this);
    // Ends as the manager goes too (a quit while the worker builds), so that
    // the frame, with the players built, is never left behind.
    AwaitedFuture<PlayerBuild> building(this, std::move(future));
    std::optional<PlayerBuild> build = co_await building;
    if (!build || !self || self->m_rebuildGeneration != generation)
        co_return; // the manager is gone or a newer build replaced this one
    self->m_players = std::move(build->players);
    self->m_lastPlayerSig = std::move(build->sig);
    self->m_lastLoggedFailureSig = std::move(build->failureSig);
    self->m_rebuildGeneration = 0;
    Q_EMIT self->playersRebuilt();
}

void AlarmManager::playSound(const QUuid& id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto it = m_players.constFind(id);
    if (it == m_players.cend() || !*it)
        return;
    (*it)->setCurrentTime(0);
    (*it)->play();
}

void AlarmManager::preview(const Alarm& alarm)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto url = resolveSoundURL(alarm);
    if (!url) {
        logError(lcAlarms, "alarm preview %s sound missing", qUtf8Printable(alarm.idString()));
        return;
    }
    auto player = AudioPlayer::create(url->toLocalFile());
    if (!player) {
        logError(lcAlarms, "alarm preview %s AudioPlayer init failed: %s", qUtf8Printable(alarm.idString()),
                 qUtf8Printable(player.error().describe()));
    } else {
        (*player)->prepareToPlay();
        (*player)->play();
        m_scratchTestPlayer = *player;
    }
    if (alarm.notify)
        postNotification(alarm, true);
}

} // namespace gaugelet
