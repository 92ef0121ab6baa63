#pragma once

#include "platform/desktop/UserNotificationCenter.h"

#include <QPointer>
#include <QSet>
#include <QUuid>
#include <functional>

namespace gaugelet {

class AlarmManager;

// Registers one notification category per snooze length ("ALARM_FIRE_<n>"
// with the actions "ALARM_SUPPRESS" and "ALARM_SNOOZE"), presents alarm
// notifications as banners without sound, and routes the user's action back
// to the alarm manager's suppress and snooze.
class AlarmNotificationDelegate final : public UserNotificationCenter::Delegate {
    Q_OBJECT
public:
    static inline const QString suppressActionIdentifier = QStringLiteral("ALARM_SUPPRESS");
    static inline const QString snoozeActionIdentifier = QStringLiteral("ALARM_SNOOZE");

    explicit AlarmNotificationDelegate(QObject* parent = nullptr);
    ~AlarmNotificationDelegate() override;

    AlarmManager* manager() const { return m_manager.data(); }

    // Becomes the current centre's delegate and clears every category.
    void attach(AlarmManager* manager);

    // The snooze lengths whose category is registered since the last attach (process-wide).
    static QSet<qint64>& registeredSnoozeLengths();
    static QString categoryIdentifier(qint64 snoozeMinutes);
    static UserNotificationCenter::Category category(qint64 snoozeMinutes);
    static void ensureCategory(qint64 snoozeMinutes);

    int willPresent(const UserNotificationCenter::Request& request) override;
    void didReceive(const UserNotificationCenter::Response& response, std::function<void()> completion) override;

    static void handleAction(AlarmManager* manager, const QString& actionIdentifier, const QUuid& alarmId,
                             const std::function<void()>& completion);

private:
    QPointer<AlarmManager> m_manager;
};

} // namespace gaugelet
