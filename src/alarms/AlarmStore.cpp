#include "alarms/AlarmStore.h"

#include "alarms/AlarmsLog.h"
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"
#include "stats/StatProvider.h"

namespace gaugelet {

std::optional<QList<Alarm>> AlarmStore::load()
{
    const auto data = Defaults::standard()->data(SettingsSchema::alarms);
    if (!data)
        return std::nullopt;
    auto decoded = Alarm::decodeList(*data);
    if (!decoded) {
        logError(lcAlarms, "alarm load failed: %s", qUtf8Printable(decoded.error().describe()));
        // The bytes stay under the key until the first write; that write
        // copies them aside first, so the user's alarms are never lost.
        m_unreadableStoredAlarms = *data;
        return std::nullopt;
    }
    // A file or a backup may hold what the editor never allows: an alarm
    // repeating at every reading would flood the desktop with notifications.
    QList<Alarm> alarms = std::move(decoded).value();
    long raised = 0;
    for (Alarm& alarm : alarms) {
        if (!(alarm.repeatInterval >= Alarm::minRepeatInterval)) {
            alarm.repeatInterval = Alarm::minRepeatInterval;
            ++raised;
        }
    }
    if (raised > 0)
        logInfo(lcAlarms, "alarm load: %ld repeat interval(s) raised to the %gs floor", raised,
                Alarm::minRepeatInterval);
    return alarms;
}

void AlarmStore::persist(const QList<Alarm>& alarms)
{
    auto encoded = Alarm::encodeList(alarms);
    if (!encoded) {
        logError(lcAlarms, "alarm persist failed: %s", qUtf8Printable(encoded.error().describe()));
        return;
    }
    if (m_unreadableStoredAlarms) {
        SettingsSchema::write(SettingsSchema::unreadableAlarms, *m_unreadableStoredAlarms);
        logError(lcAlarms, "alarm load: unreadable stored alarms kept under %s bytes=%ld",
                 qUtf8Printable(SettingsSchema::unreadableAlarms), long(m_unreadableStoredAlarms->size()));
        m_unreadableStoredAlarms.reset();
    }
    SettingsSchema::write(SettingsSchema::alarms, *encoded);
}

bool AlarmStore::takeSeedTurn()
{
    if (SettingsSchema::boolean(SettingsSchema::sampleAlarmSeeded))
        return false;
    SettingsSchema::write(SettingsSchema::sampleAlarmSeeded, true);
    return true;
}

Alarm AlarmStore::sampleAlarm()
{
    Alarm sample;
    sample.id = QUuid::createUuid();
    sample.providerId = ProviderIds::cpu;
    sample.threshold = 0.8;
    sample.direction = Alarm::Direction::above;
    sample.repeatInterval = 30;
    sample.enabled = true;
    sample.notify = true;
    sample.notifySnoozeMinutes = 15;
    return sample;
}

} // namespace gaugelet
