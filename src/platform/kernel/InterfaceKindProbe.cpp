#include "platform/kernel/InterfaceKindProbe.h"

namespace gaugelet {

bool InterfaceFacts::isTunnelType() const
{
    switch (arphrdType) {
    case 512:   // ARPHRD_PPP
    case 768:   // ARPHRD_TUNNEL
    case 769:   // ARPHRD_TUNNEL6
    case 776:   // ARPHRD_SIT
    case 778:   // ARPHRD_IPGRE
    case 823:   // ARPHRD_IP6GRE
    case 65534: // ARPHRD_NONE (tun, WireGuard)
        return true;
    default:
        return false;
    }
}

namespace {
bool safeName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".") && name != QLatin1String("..");
}
} // namespace

QSet<QString> InterfaceKindProbe::wifiInterfaces(const SysRoot& root)
{
    QSet<QString> names;
    for (const QString& name : root.list("sys/class/net")) {
        const std::string base = "sys/class/net/" + name.toStdString();
        if (root.exists(base + "/phy80211") || root.exists(base + "/wireless"))
            names.insert(name);
    }
    return names;
}

InterfaceFacts InterfaceKindProbe::facts(const SysRoot& root, const QString& name)
{
    InterfaceFacts f;
    if (!safeName(name))
        return f;
    const std::string base = "sys/class/net/" + name.toStdString();
    if (auto type = root.readNumber(base + "/type"); type && *type <= 65535)
        f.arphrdType = int(*type);
    f.isBridge = root.exists(base + "/bridge");
    f.hasDevice = root.exists(base + "/device");
    f.isWireless = root.exists(base + "/phy80211") || root.exists(base + "/wireless");
    return f;
}

} // namespace gaugelet
