#include "platform/LoginItemService.h"

namespace gaugelet {

// Placeholder until the autostart implementation lands.
LoginItemService::LoginItemService(Paths paths) : m_paths(std::move(paths)) {}

namespace {
LoginItemService* g_override = nullptr;
}

LoginItemService& LoginItemService::mainAppService()
{
    static LoginItemService standard(Paths{});
    return g_override ? *g_override : standard;
}

void LoginItemService::setMainAppService(LoginItemService* service) { g_override = service; }

LoginItemService::Status LoginItemService::status() const { return Status::notFound; }
Result<void, QString> LoginItemService::registerItem() { return fail(QStringLiteral("not implemented")); }
Result<void, QString> LoginItemService::unregisterItem() { return fail(QStringLiteral("not implemented")); }
void LoginItemService::openSystemSettingsLoginItems() const {}
QString LoginItemService::userEntryPath() const { return {}; }

QString rawValue(LoginItemService::Status status)
{
    switch (status) {
    case LoginItemService::Status::notRegistered: return QStringLiteral("notRegistered");
    case LoginItemService::Status::enabled: return QStringLiteral("enabled");
    case LoginItemService::Status::requiresApproval: return QStringLiteral("requiresApproval");
    case LoginItemService::Status::notFound: return QStringLiteral("notFound");
    }
    return {};
}

} // namespace gaugelet
