#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace gaugelet {

// How tall, in device-independent pixels, a host draws the items of its
// status area, read from the host's own settings where it has any:
// - LXQt's panel: the iconSize of the panel that holds the status notifier
//   plugin (panel.conf, 22 unless set), at most the height of one of its rows
//   (panelSize / lineCount, 32 and 1 unless set) less the frame of the tray's
//   buttons (lxqtButtonFrame: 0 to 6 pixels in the themes LXQt ships, 4 in its
//   default, so a 32-pixel row draws icons 26 to 32 high, 28 in the default);
// - waybar: the tray's "icon-size" (its config, 16 unless set);
// - Xfce's status tray: the plugin's own icon-size (xfce4-panel.xml, 22
//   unless set), or, set to 0, its panel's icon size (or, that 0 too, one
//   that follows the panel's size), at most the panel's size, made even.
// GNOME Shell's AppIndicator extension draws them 16 high, Plasma's tray 22.
// The files are found where the host looks for them: a path on its command
// line (NUL-separated, the watcher's owner's; a relative one from the host's
// working folder), else the user's configuration folder, else the system's.
// Only a regular file of at most maxFileBytes is read, and its opening never
// waits: a FIFO, a device or a folder named there counts as no file (the
// host's defaults), as does a relative path whose folder is not known. A
// file is read in one pass, in time linear in its size, however it is made.
class HostSlotSize {
public:
    static constexpr int lxqtDefault = 22;
    static constexpr int lxqtPanelDefault = 32;
    static constexpr int lxqtButtonFrame = 6;
    static constexpr int waybarDefault = 16;
    static constexpr int xfceDefault = 22;
    static constexpr qint64 maxFileBytes = 1 << 20;

    static int lxqtPanel(const QString& panelConf);
    static int waybar(const QString& config);
    static int xfceSystray(const QString& panelChannel);
    // The same from the channel's properties as xfconfd has them, by path
    // ("/plugins/plugin-3" -> "systray"; an array as a list).
    static int xfceSystray(const QVariantMap& channel);

    // The configuration file a host started with this command line, in this
    // working folder (empty: not known), reads; where it has none yet, the
    // user's, where it would be written.
    static QString lxqtPanelConfig(const QByteArray& commandLine, const QString& workingFolder);
    static QString waybarConfig(const QByteArray& commandLine, const QString& workingFolder);
    static QString xfcePanelChannel();
};

} // namespace gaugelet
