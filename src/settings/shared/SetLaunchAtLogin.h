#pragma once

#include <QString>

namespace gaugelet {

// Posted on the default notification centre when setLaunchAtLogin changed
// whether the login item is enabled; every view showing that state reads it again.
inline const QString launchAtLoginChangedNotification = QStringLiteral("gaugelet.launchAtLogin.changed");

// Registers (true) or unregisters (false) the program as a login item of the
// main application. A failure is logged and otherwise ignored: no retry, no
// alert, and the caller's state (a toggle) stays as the user set it.
// Main thread; synchronous; posts launchAtLoginChangedNotification when the
// state changed.
void setLaunchAtLogin(bool enabled);

// Whether the login item is enabled now, read afresh from the service. Only
// "enabled" counts as on; requires approval, not registered and not found are off.
bool isLaunchAtLoginEnabled();

} // namespace gaugelet
