#pragma once

#include <QString>
#include <QStringList>

namespace gaugelet {

// The desktop's own settings page for notifications. Desktops name it
// differently: KDE Plasma's System Settings module, GNOME's Settings panel,
// Xfce's notification settings. With none of them known (or installed) there
// is no page to open.
class NotificationSettingsPane {
public:
    struct Command {
        QString program; // absolute path, found on PATH
        QStringList arguments;
    };

    // The command for the current desktop ($XDG_CURRENT_DESKTOP), or an empty
    // program when no page is known here.
    static Command command();
    // Starts the page; false when none is known or it could not be started.
    static bool open();
};

} // namespace gaugelet
