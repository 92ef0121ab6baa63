#pragma once

#include "alarms/Alarm.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace gaugelet {

// Where the alarms live: one JSON array under "global.alarms" in the
// standard user defaults. Stored bytes that cannot be read are never lost: they stay under
// the key until the first write, which first copies them aside under
// "global.alarms.unreadable".
class AlarmStore {
public:
    // The stored alarms; none when nothing is stored or it does not decode.
    // A repeat shorter than Alarm::minRepeatInterval is raised to it.
    std::optional<QList<Alarm>> load();
    void persist(const QList<Alarm>& alarms);
    // True once: whether the sample alarm is still to be considered (and
    // marks it considered).
    bool takeSeedTurn();
    // The alarm seeded on the first run: CPU at or above 80 %.
    static Alarm sampleAlarm();

private:
    // Stored bytes that did not decode, kept aside before the first write.
    std::optional<QByteArray> m_unreadableStoredAlarms;
};

} // namespace gaugelet
