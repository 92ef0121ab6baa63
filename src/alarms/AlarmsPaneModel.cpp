#include "alarms/AlarmsPaneModel.h"

#include "alarms/AlarmManager.h"
#include "platform/core/MainThread.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

#include <QSet>
#include <cmath>

namespace gaugelet {

AlarmsPaneModel::AlarmsPaneModel(AlarmManager* alarms, StatRegistry* registry, QObject* parent)
    : QObject(parent), m_alarms(alarms), m_registry(registry)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

QString AlarmsPaneModel::countLineText(qsizetype count)
{
    // Plain text, not localised.
    return QString::number(count) + QStringLiteral(" of ") + QString::number(alarmCap)
        + QStringLiteral(" alarms configured.");
}

QString AlarmsPaneModel::addHelpText(qsizetype count)
{
    if (count < alarmCap)
        return tr("Add a threshold alarm.");
    return tr("Soft cap reached (%1). Delete one to add another.").arg(alarmCap);
}

Alarm AlarmsPaneModel::newAlarm(const StatProvider& provider)
{
    Alarm alarm;
    alarm.id = QUuid::createUuid();
    alarm.providerId = provider.id();
    alarm.threshold = 0.8;
    alarm.direction = Alarm::Direction::above;
    const double refresh = provider.refreshInterval();
    alarm.repeatInterval = std::isnan(refresh) ? 10.0 : std::max(refresh, 10.0);
    alarm.enabled = true;
    alarm.notify = true;
    alarm.notifySnoozeMinutes = 15;
    return alarm;
}

qsizetype AlarmsPaneModel::count() const
{
    return m_alarms ? m_alarms->alarms().size() : 0;
}

bool AlarmsPaneModel::canAdd() const
{
    return m_registry && !m_registry->providers().empty() && count() < alarmCap;
}

QList<QUuid> AlarmsPaneModel::rowIds() const
{
    QList<QUuid> ids;
    if (!m_alarms)
        return ids;
    QSet<QUuid> seen;
    for (const Alarm& alarm : m_alarms->alarms()) {
        if (!seen.contains(alarm.id)) {
            seen.insert(alarm.id);
            ids.append(alarm.id);
        }
    }
    return ids;
}

void AlarmsPaneModel::addAlarm()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_alarms || !m_registry || m_registry->providers().empty())
        return;
    QList<Alarm> list = m_alarms->alarms();
    list.append(newAlarm(*m_registry->providers().front()));
    m_alarms->setAlarms(list);
}

} // namespace gaugelet
