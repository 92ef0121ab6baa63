#include "alarms/AlarmEvaluator.h"

namespace gaugelet {

AlarmEvaluator::Verdict AlarmEvaluator::check(const Alarm& alarm, double value, double now) const
{
    const double t = alarm.threshold;
    // Inclusive on both sides; NaN compares false, so it never crosses.
    const bool crossing = alarm.direction == Alarm::Direction::above ? (t <= value) : (value <= t);
    if (!crossing)
        return Verdict::clear;
    const auto snoozed = m_snoozedUntil.constFind(alarm.id);
    if (snoozed != m_snoozedUntil.cend() && now < *snoozed)
        return Verdict::snoozed;
    const bool armed = m_armedSinceCleared.value(alarm.id, true);
    const double last = m_lastFiredAt.value(alarm.id, 0.0);
    if (!armed && now - last < alarm.repeatInterval)
        return Verdict::hold;
    return Verdict::fire;
}

void AlarmEvaluator::clear(const QUuid& id)
{
    m_armedSinceCleared.insert(id, true);
    m_snoozedUntil.remove(id);
}

void AlarmEvaluator::recordFiring(const QUuid& id, double now)
{
    m_lastFiredAt.insert(id, now);
    m_armedSinceCleared.insert(id, false);
}

long AlarmEvaluator::rearm(const QList<Alarm>& alarms, double now)
{
    long enabled = 0;
    for (const Alarm& alarm : alarms) {
        if (!alarm.enabled)
            continue;
        recordFiring(alarm.id, now);
        ++enabled;
    }
    return enabled;
}

void AlarmEvaluator::snooze(const QUuid& id, double until)
{
    m_snoozedUntil.insert(id, until);
}

void AlarmEvaluator::prune(const QSet<QUuid>& enabled)
{
    const auto gone = [&enabled](const auto& it) { return !enabled.contains(it.key()); };
    m_lastFiredAt.removeIf(gone);
    m_armedSinceCleared.removeIf(gone);
    m_snoozedUntil.removeIf(gone);
}

} // namespace gaugelet
