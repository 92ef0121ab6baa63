#include "alarms/AlarmManager.h"

#include "alarms/AlarmNotificationDelegate.h"
#include "alarms/AlarmsLog.h"
#include "alarms/SoundRegistry.h"
#include "app/lifecycle/AppLifecycle.h"
#include "platform/AudioPlayer.h"
#include "platform/Defaults.h"
#include "platform/MainThread.h"
#include "platform/MediaClock.h"
#include "platform/Observe.h"
#include "platform/SecurityScopedBookmark.h"
#include "platform/UserNotificationCenter.h"
#include "platform/core/Publish.h"

#include <QHashSeed>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <qcoro/qcorofuture.h>

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
    persist();
    pruneState();
    rebuildPlayers();
    requestNotificationAuthIfNeeded();
}

void AlarmManager::load()
{
    const auto data = Defaults::standard()->data(alarmsKey);
    if (!data)
        return;
    auto decoded = Alarm::decodeList(*data);
    if (!decoded) {
        logError(lcAlarms, "alarm load failed: %s", qUtf8Printable(decoded.error().describe()));
        // The bytes stay under the key until the first write; that write
        // copies them aside first, so the user's alarms are never lost.
        m_unreadableStoredAlarms = *data;
        return;
    }
    setAlarms(*decoded);
}

void AlarmManager::seedSampleAlarmIfNeeded()
{
    Defaults* defaults = Defaults::standard();
    if (defaults->boolean(seedFlagKey, false))
        return;
    defaults->set(seedFlagKey, true);
    if (!m_alarms.isEmpty()) {
        logInfo(lcAlarms, "first-run seed: alarms already populated, skipping sample");
        return;
    }
    Alarm sample;
    sample.id = QUuid::createUuid();
    sample.providerId = ProviderIds::cpu;
    sample.threshold = 0.8;
    sample.direction = Alarm::Direction::above;
    sample.repeatInterval = 30;
    sample.enabled = true;
    sample.notify = true;
    sample.notifySnoozeMinutes = 15;
    setAlarms({sample});
    logInfo(lcAlarms, "first-run seed: installed sample alarm cpu.total > 80 %%");
}

void AlarmManager::persist()
{
    auto encoded = Alarm::encodeList(m_alarms);
    if (!encoded) {
        logError(lcAlarms, "alarm persist failed: %s", qUtf8Printable(encoded.error().describe()));
        return;
    }
    Defaults* defaults = Defaults::standard();
    if (m_unreadableStoredAlarms) {
        defaults->set(unreadableAlarmsKey, *m_unreadableStoredAlarms);
        logError(lcAlarms, "alarm load: unreadable stored alarms kept under %s bytes=%ld",
                 qUtf8Printable(unreadableAlarmsKey), long(m_unreadableStoredAlarms->size()));
        m_unreadableStoredAlarms.reset();
    }
    defaults->set(alarmsKey, *encoded);
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
    const double now = MediaClock::now();
    long enabled = 0;
    for (const Alarm& alarm : std::as_const(m_alarms)) {
        if (!alarm.enabled)
            continue;
        m_lastFiredAt.insert(alarm.id, now);
        m_armedSinceCleared.insert(alarm.id, false);
        ++enabled;
    }
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
    const double v = snapshot.value;
    const double t = alarm.threshold;
    // Inclusive on both sides; NaN compares false, so it never crosses.
    const bool crossing = alarm.direction == Alarm::Direction::above ? (t <= v) : (v <= t);
    const QUuid& id = alarm.id;
    if (!crossing) {
        removeFiring(id);
        m_armedSinceCleared.insert(id, true);
        m_snoozedUntil.remove(id);
        return;
    }
    const auto snoozed = m_snoozedUntil.constFind(id);
    if (snoozed != m_snoozedUntil.cend() && now < *snoozed)
        return;
    insertFiring(id);
    const bool armed = m_armedSinceCleared.value(id, true);
    const double last = m_lastFiredAt.value(id, 0.0);
    if (!armed && now - last < alarm.repeatInterval)
        return;
    fire(alarm);
    m_lastFiredAt.insert(id, now);
    m_armedSinceCleared.insert(id, false);
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
    m_snoozedUntil.insert(id, MediaClock::now() + double(minutes) * 60.0);
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
    m_lastFiredAt.removeIf([&enabled](const auto& it) { return !enabled.contains(it.key()); });
    m_armedSinceCleared.removeIf([&enabled](const auto& it) { return !enabled.contains(it.key()); });
    m_snoozedUntil.removeIf([&enabled](const auto& it) { return !enabled.contains(it.key()); });
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
    size_t seed = QHashSeed::globalSeed();
    seed = qHashMulti(seed, alarm.soundBookmark.has_value());
    if (alarm.soundBookmark)
        seed = qHashMulti(seed, *alarm.soundBookmark);
    seed = qHashMulti(seed, alarm.bundledSoundId.has_value());
    if (alarm.bundledSoundId)
        seed = qHashMulti(seed, *alarm.bundledSoundId);
    return qHashMulti(seed, alarm.enabled);
}

std::optional<QUrl> AlarmManager::resolveSoundURL(const Alarm& alarm) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (alarm.soundBookmark) {
        // No fallback: a chosen file that is gone means no sound.
        if (auto path = SecurityScopedBookmark::resolve(*alarm.soundBookmark))
            return QUrl::fromLocalFile(*path);
        return std::nullopt;
    }
    if (alarm.bundledSoundId) {
        if (auto sound = SoundRegistry::sound(*alarm.bundledSoundId))
            return sound->url;
    }
    if (auto sound = SoundRegistry::defaultSound())
        return sound->url;
    return std::nullopt;
}

QHash<QUuid, QUrl> AlarmManager::planPlayerBuild(const QList<Alarm>& alarms, const Signatures& previousSig) const
{
    QHash<QUuid, QUrl> plan;
    for (const Alarm& alarm : alarms) {
        if (!alarm.enabled)
            continue;
        const auto previous = previousSig.constFind(alarm.id);
        if (previous != previousSig.cend() && *previous == soundSignature(alarm))
            continue;
        if (auto url = resolveSoundURL(alarm))
            plan.insert(alarm.id, *url);
    }
    return plan;
}

AlarmManager::PlayerBuild AlarmManager::buildPlayers(const QList<Alarm>& alarms, const QHash<QUuid, QUrl>& plan,
                                                     const Signatures& previousSig, const Players& previousPlayers,
                                                     const Signatures& previousFailureSig)
{
    PlayerBuild build;
    build.failureSig = previousFailureSig;
    for (const Alarm& alarm : alarms) {
        if (!alarm.enabled)
            continue;
        const QUuid& id = alarm.id;
        const size_t s = soundSignature(alarm);
        build.sig.insert(id, s);
        const auto prevSig = previousSig.constFind(id);
        const auto prevPlayer = previousPlayers.constFind(id);
        if (prevSig != previousSig.cend() && *prevSig == s && prevPlayer != previousPlayers.cend() && *prevPlayer) {
            build.players.insert(id, *prevPlayer);
            continue;
        }
        const auto url = plan.constFind(id);
        const auto loggedSig = build.failureSig.constFind(id);
        const bool alreadyLogged = loggedSig != build.failureSig.cend() && *loggedSig == s;
        if (url != plan.cend()) {
            auto player = AudioPlayer::create(url->toLocalFile());
            if (!player) {
                if (!alreadyLogged)
                    logError(lcAlarms, "alarm %s AudioPlayer init failed: %s", qUtf8Printable(alarm.idString()),
                             qUtf8Printable(player.error().describe()));
                build.failureSig.insert(id, s);
            } else {
                (*player)->prepareToPlay();
                build.players.insert(id, *player);
                build.failureSig.remove(id);
            }
        } else {
            if (!alreadyLogged)
                logError(lcAlarms, "alarm %s sound missing: %s", qUtf8Printable(alarm.idString()),
                         alarm.soundBookmark ? "<bookmark>" : "<bundled>");
            build.failureSig.insert(id, s);
        }
    }
    QSet<QUuid> listed;
    for (const Alarm& alarm : alarms)
        listed.insert(alarm.id);
    build.failureSig.removeIf([&listed](const auto& it) { return !listed.contains(it.key()); });
    return build;
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
    qsizetype enabled = 0;
    QSet<QUuid> listed;
    for (const Alarm& alarm : m_alarms) {
        listed.insert(alarm.id);
        if (!alarm.enabled)
            continue;
        ++enabled;
        const auto sig = m_lastPlayerSig.constFind(alarm.id);
        if (sig == m_lastPlayerSig.cend() || *sig != soundSignature(alarm))
            return false;
    }
    if (enabled != m_lastPlayerSig.size())
        return false;
    for (auto it = m_lastLoggedFailureSig.cbegin(); it != m_lastLoggedFailureSig.cend(); ++it) {
        if (!listed.contains(it.key()))
            return false;
    }
    return true;
}

QCoro::Task<> AlarmManager::applyRebuild(quint64 generation, QFuture<PlayerBuild> future)
{
    QPointer<AlarmManager> self(this);
    PlayerBuild build = co_await future;
    if (!self || self->m_rebuildGeneration != generation)
        co_return; // the manager is gone or a newer build replaced this one
    self->m_players = std::move(build.players);
    self->m_lastPlayerSig = std::move(build.sig);
    self->m_lastLoggedFailureSig = std::move(build.failureSig);
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
