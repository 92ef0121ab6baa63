#pragma once

#include <QByteArray>
#include <QString>

namespace gaugelet {

// How tall, in device-independent pixels, a host draws the items of its
// status area, read from the host's own settings where it has any:
// - LXQt's panel: the iconSize of the panel that holds the status notifier
//   plugin (panel.conf, 22 unless set);
// - waybar: the tray's "icon-size" (its config, 16 unless set);
// - Xfce's status tray: the plugin's own icon-size (xfce4-panel.xml, 22
//   unless set), or, set to 0, its panel's icon size (or, that 0 too, one
//   that follows the panel's size), at most the panel's size, made even.
// GNOME Shell's AppIndicator extension draws them 16 high, Plasma's tray 22.
// The files are found where the host looks for them: a path on its command
// line (NUL-separated, the watcher's owner's), else the user's configuration
// folder, else the system's.
class HostSlotSize {
public:
    static constexpr int lxqtDefault = 22;
    static constexpr int waybarDefault = 16;
    static constexpr int xfceDefault = 22;

    static int lxqtPanel(const QString& panelConf);
    static int waybar(const QString& config);
    static int xfceSystray(const QString& panelChannel);

    // The configuration file a host started with this command line reads.
    static QString lxqtPanelConfig(const QByteArray& commandLine);
    static QString waybarConfig(const QByteArray& commandLine);
    static QString xfcePanelChannel();
};

} // namespace gaugelet
