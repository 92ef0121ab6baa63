#include "alarms/AlarmSoundPlayers.h"

#include "alarms/AlarmsLog.h"
#include "alarms/SoundRegistry.h"
#include "platform/core/MainThread.h"
#include "platform/desktop/AudioPlayer.h"
#include "platform/desktop/SecurityScopedBookmark.h"

#include <QHashSeed>
#include <QSet>

namespace gaugelet {

size_t AlarmSoundPlayers::soundSignature(const Alarm& alarm)
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

std::optional<QUrl> AlarmSoundPlayers::resolveSoundURL(const Alarm& alarm)
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

QHash<QUuid, QUrl> AlarmSoundPlayers::plan(const QList<Alarm>& alarms, const Signatures& previousSig)
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

AlarmSoundPlayers::Build AlarmSoundPlayers::build(const QList<Alarm>& alarms, const QHash<QUuid, QUrl>& plan,
                                                 const Signatures& previousSig, const Players& previousPlayers,
                                                 const Signatures& previousFailureSig)
{
    Build build;
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

bool AlarmSoundPlayers::isCurrent(const QList<Alarm>& alarms, const Signatures& sig, const Signatures& failureSig)
{
    qsizetype enabled = 0;
    QSet<QUuid> listed;
    for (const Alarm& alarm : alarms) {
        listed.insert(alarm.id);
        if (!alarm.enabled)
            continue;
        ++enabled;
        const auto known = sig.constFind(alarm.id);
        if (known == sig.cend() || *known != soundSignature(alarm))
            return false;
    }
    if (enabled != sig.size())
        return false;
    for (auto it = failureSig.cbegin(); it != failureSig.cend(); ++it) {
        if (!listed.contains(it.key()))
            return false;
    }
    return true;
}

} // namespace gaugelet
