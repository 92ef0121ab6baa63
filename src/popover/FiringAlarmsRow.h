#pragma once

#include "alarms/Alarm.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QWidget>

class QPushButton;

namespace gaugelet {

// The popover's section of firing alarms: "Firing", then one line per firing
// alarm in the order of the alarm list, each with "Suppress" and
// "Snooze <n>m" (the alarm's own snooze length).
class FiringAlarmsRow : public QWidget {
    Q_OBJECT
public:
    explicit FiringAlarmsRow(const ViewEnvironment& env, QWidget* parent = nullptr);

    // The alarms of the list, in list order, that are firing.
    static QList<Alarm> firingAlarms(const AlarmManager& alarms);
    // "Snooze 15m".
    static QString snoozeTitle(const Alarm& alarm);

    // One entry per line shown, for tests.
    struct Line {
        QUuid alarmId;
        QString text;
        QPushButton* suppress = nullptr;
        QPushButton* snooze = nullptr;
    };
    const QList<Line>& lines() const { return m_lines; }

private:
    ViewEnvironment m_env;
    QList<Line> m_lines;
};

} // namespace gaugelet
