#pragma once

#include "alarms/Alarm.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>

namespace gaugelet {

class AlarmManager;
class StatProvider;
class StatRegistry;

// The alarms pane's list rules, without any widget: the soft cap on adding,
// the count line and the add button's help, the rows' ids in list order, and
// the alarm the add button makes. Main thread.
class AlarmsPaneModel : public QObject {
    Q_OBJECT
public:
    // A soft cap: only adding respects it; a longer list shows in full.
    static constexpr int alarmCap = 10;

    AlarmsPaneModel(AlarmManager* alarms, StatRegistry* registry, QObject* parent = nullptr);

    // "3 of 10 alarms configured."
    static QString countLineText(qsizetype count);
    // The add button's hover help for a list of that many alarms.
    static QString addHelpText(qsizetype count);
    // A new alarm on this provider: 80 % and above, repeating no faster than
    // every 10 s or the provider's refresh, with a banner and 15 minutes' snooze.
    static Alarm newAlarm(const StatProvider& provider);

    qsizetype count() const;
    // Adding needs a provider and a list below the cap.
    bool canAdd() const;
    // Each alarm's id once, in list order.
    QList<QUuid> rowIds() const;

    // One new alarm on the first provider, appended in one write.
    void addAlarm();

private:
    QPointer<AlarmManager> m_alarms;
    QPointer<StatRegistry> m_registry;
};

} // namespace gaugelet
