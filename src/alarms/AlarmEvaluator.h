#pragma once

#include "alarms/Alarm.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

namespace gaugelet {

// The arming, repeat and snooze rules of the alarms, without any clock,
// signal or sound: what one reading means for one alarm, and the per-alarm
// state those rules keep. Times are media-clock seconds.
class AlarmEvaluator {
public:
    enum class Verdict {
        clear,   // not past the threshold: leaves the firing set and re-arms
        snoozed, // past it, but snoozed: nothing changes
        hold,    // past it and firing, but neither armed nor due to repeat
        fire,    // past it and armed or due: fires now
    };

    // What `value` means for `alarm` at `now`; changes nothing.
    Verdict check(const Alarm& alarm, double value, double now) const;
    // After `clear`: armed again, snooze over.
    void clear(const QUuid& id);
    // After `fire` has fired: the repeat runs from now, and the alarm waits
    // for the value to clear before it counts as armed again.
    void recordFiring(const QUuid& id, double now);

    // Every enabled alarm counts as just fired and unarmed, so only a fresh
    // crossing after a pause fires; returns how many there were.
    long rearm(const QList<Alarm>& alarms, double now);
    void snooze(const QUuid& id, double until);
    // Forgets every alarm not in `enabled`.
    void prune(const QSet<QUuid>& enabled);

    const QHash<QUuid, double>& lastFiredAt() const { return m_lastFiredAt; }
    const QHash<QUuid, bool>& armedSinceCleared() const { return m_armedSinceCleared; }
    const QHash<QUuid, double>& snoozedUntil() const { return m_snoozedUntil; }

private:
    QHash<QUuid, double> m_lastFiredAt;
    QHash<QUuid, bool> m_armedSinceCleared;
    QHash<QUuid, double> m_snoozedUntil;
};

} // namespace gaugelet
