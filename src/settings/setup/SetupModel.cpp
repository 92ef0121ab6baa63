#include "settings/setup/SetupModel.h"

#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/UserNotificationCenter.h"

#include <QPointer>

namespace gaugelet {

SetupModel::SetupModel(QObject* parent) : QObject(parent) {}

void SetupModel::store(RowStatus& field, const RowStatus& status, void (SetupModel::*changed)())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (status == field)
        return;
    field = status;
    Q_EMIT(this->*changed)();
}

void SetupModel::setNotifications(const RowStatus& status)
{
    store(m_notifications, status, &SetupModel::notificationsChanged);
}

void SetupModel::setLoginItem(const RowStatus& status)
{
    store(m_loginItem, status, &SetupModel::loginItemChanged);
}

void SetupModel::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    using Status = UserNotificationCenter::AuthorizationStatus;
    QPointer<SetupModel> self(this);
    UserNotificationCenter::current()->getNotificationSettings([self](UserNotificationCenter::Settings settings) {
        const Status status = settings.authorizationStatus;
        // Hop through the event loop so an answer never lands inside a caller's own call.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, status] {
                if (!self)
                    return;
                switch (status) {
                case Status::authorized:
                case Status::provisional: self->setNotifications(RowStatus::granted()); return;
                case Status::denied: self->setNotifications(RowStatus::denied()); return;
                case Status::notDetermined:
                case Status::ephemeral: break;
                }
                self->setNotifications(RowStatus::actionNeeded(tr("Allow")));
            },
            Qt::QueuedConnection);
    });
    refreshLoginItem();
}

void SetupModel::refreshLoginItem()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    switch (LoginItemService::mainAppService().status()) {
    case LoginItemService::Status::enabled: setLoginItem(RowStatus::granted()); return;
    case LoginItemService::Status::requiresApproval: setLoginItem(RowStatus::denied()); return;
    case LoginItemService::Status::notRegistered:
    case LoginItemService::Status::notFound: break;
    }
    setLoginItem(RowStatus::actionNeeded(tr("Enable")));
}

} // namespace gaugelet
