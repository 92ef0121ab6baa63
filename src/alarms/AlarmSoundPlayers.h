#pragma once

#include "alarms/Alarm.h"

#include <QHash>
#include <QList>
#include <QUrl>
#include <QUuid>
#include <memory>
#include <optional>

namespace gaugelet {

class AudioPlayer;

// The prepared sound players of the alarms, one per enabled alarm, as pure
// steps: which sound an alarm plays, which players a change of the list must
// build, and the build itself (on a worker). The alarm manager runs them and
// keeps the result.
struct AlarmSoundPlayers {
    using Players = QHash<QUuid, std::shared_ptr<AudioPlayer>>;
    using Signatures = QHash<QUuid, size_t>;

    // What a build returns: the players, the sound signature of every enabled
    // alarm, and the signatures whose failure is already logged.
    struct Build {
        Players players;
        Signatures sig;
        Signatures failureSig;
    };

    // Over the sound choice and the enabled flag, seeded afresh in every process.
    static size_t soundSignature(const Alarm& alarm);
    // The chosen file, else the bundled sound, else the default sound (main thread).
    static std::optional<QUrl> resolveSoundURL(const Alarm& alarm);
    // The sound of every enabled alarm whose signature changed (main thread).
    static QHash<QUuid, QUrl> plan(const QList<Alarm>& alarms, const Signatures& previousSig);
    // Reuses the players whose signature is unchanged and builds the planned
    // ones; logs each failure once per signature.
    static Build build(const QList<Alarm>& alarms, const QHash<QUuid, QUrl>& plan, const Signatures& previousSig,
                       const Players& previousPlayers, const Signatures& previousFailureSig);
    // Whether a build now would give exactly these signatures.
    static bool isCurrent(const QList<Alarm>& alarms, const Signatures& sig, const Signatures& failureSig);
};

} // namespace gaugelet
