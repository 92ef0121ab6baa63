#pragma once

#include "platform/kernel/SysRoot.h"

#include <QSet>
#include <QString>

namespace gaugelet {

// What sysfs tells about one network interface, for classifying it.
struct InterfaceFacts {
    int arphrdType = -1;      // class/net/NAME/type; -1 when unreadable
    bool isBridge = false;    // has a bridge/ folder
    bool hasDevice = false;   // backed by a physical device (device link)
    bool isWireless = false;  // has phy80211 or wireless

    bool isTunnelType() const;  // ARPHRD tunnel, GRE, SIT, PPP or NONE (tun)
    bool isPhysicalEther() const { return hasDevice && arphrdType == 1; }
};

class InterfaceKindProbe {
public:
    // Names under class/net that have a phy80211 link or a wireless folder.
    static QSet<QString> wifiInterfaces(const SysRoot& root);
    static InterfaceFacts facts(const SysRoot& root, const QString& name);
};

} // namespace gaugelet
