#include "alarms/AlarmNotificationDelegate.h"

#include "alarms/AlarmManager.h"
#include "alarms/AlarmsLog.h"
#include "platform/core/MainThread.h"

#include <QCoreApplication>
#include <algorithm>

namespace gaugelet {

AlarmNotificationDelegate::AlarmNotificationDelegate(QObject* parent) : UserNotificationCenter::Delegate(parent) {}

AlarmNotificationDelegate::~AlarmNotificationDelegate() = default;

QSet<qint64>& AlarmNotificationDelegate::registeredSnoozeLengths()
{
    static QSet<qint64> lengths;
    return lengths;
}

QString AlarmNotificationDelegate::categoryIdentifier(qint64 snoozeMinutes)
{
    return QStringLiteral("ALARM_FIRE_") + QString::number(snoozeMinutes);
}

UserNotificationCenter::Category AlarmNotificationDelegate::category(qint64 snoozeMinutes)
{
    UserNotificationCenter::Category category;
    category.identifier = categoryIdentifier(snoozeMinutes);
    category.actions = {
        {suppressActionIdentifier, tr("Suppress"), true},
        {snoozeActionIdentifier, tr("Snooze %1m").arg(snoozeMinutes), false},
    };
    return category;
}

void AlarmNotificationDelegate::attach(AlarmManager* manager)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_manager = manager;
    UserNotificationCenter* center = UserNotificationCenter::current();
    center->setDelegate(this);
    registeredSnoozeLengths().clear();
    center->setNotificationCategories({});
}

void AlarmNotificationDelegate::ensureCategory(qint64 snoozeMinutes)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QSet<qint64>& lengths = registeredSnoozeLengths();
    if (lengths.contains(snoozeMinutes))
        return;
    lengths.insert(snoozeMinutes);
    QList<qint64> sorted(lengths.cbegin(), lengths.cend());
    std::sort(sorted.begin(), sorted.end());
    QList<UserNotificationCenter::Category> categories;
    for (qint64 n : std::as_const(sorted))
        categories.append(category(n));
    UserNotificationCenter::current()->setNotificationCategories(categories);
}

int AlarmNotificationDelegate::willPresent(const UserNotificationCenter::Request& request)
{
    (void)request;
    return UserNotificationCenter::presentBanner; // no sound: the alarm plays its own
}

void AlarmNotificationDelegate::didReceive(const UserNotificationCenter::Response& response,
                                           std::function<void()> completion)
{
    const QString action = response.actionIdentifier;
    const QVariant raw = response.userInfo.value(QStringLiteral("alarmId"));
    std::optional<QUuid> alarmId;
    if (raw.typeId() == QMetaType::QString)
        alarmId = uuidFromString(raw.toString());
    if (!alarmId) {
        logError(lcAlarms, "notification action received with no/invalid alarmId");
        if (completion)
            completion();
        return;
    }
    QPointer<AlarmManager> manager = m_manager;
    const QUuid id = *alarmId;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [manager, action, id, completion] { handleAction(manager.data(), action, id, completion); },
        Qt::QueuedConnection);
}

void AlarmNotificationDelegate::handleAction(AlarmManager* manager, const QString& actionIdentifier,
                                             const QUuid& alarmId, const std::function<void()>& completion)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manager) {
        if (actionIdentifier == suppressActionIdentifier) {
            manager->suppress(alarmId);
        } else if (actionIdentifier == snoozeActionIdentifier) {
            qint64 minutes = AlarmManager::fallbackSnoozeMinutes;
            const auto& alarms = manager->alarms();
            const auto it = std::find_if(alarms.cbegin(), alarms.cend(),
                                         [&alarmId](const Alarm& a) { return a.id == alarmId; });
            if (it != alarms.cend())
                minutes = it->notifySnoozeMinutes;
            manager->snooze(alarmId, minutes);
        }
    }
    if (completion)
        completion();
}

} // namespace gaugelet
