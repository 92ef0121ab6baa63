#include "settings/shared/SetLaunchAtLogin.h"

#include "platform/core/MainThread.h"
#include "platform/core/NotificationCenter.h"
#include "platform/desktop/LoginItemService.h"

#include <QtGlobal>

namespace gaugelet {

void setLaunchAtLogin(bool enabled)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    LoginItemService& service = LoginItemService::mainAppService();
    const LoginItemService::Status before = service.status();
    const auto result = enabled ? service.registerItem() : service.unregisterItem();
    if (!result)
        qInfo("Gaugelet: failed to toggle launch-at-login: %s", qUtf8Printable(result.error()));
    if (service.status() != before)
        NotificationCenter::defaultCenter().post(launchAtLoginChangedNotification);
}

bool isLaunchAtLoginEnabled()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return LoginItemService::mainAppService().status() == LoginItemService::Status::enabled;
}

} // namespace gaugelet
