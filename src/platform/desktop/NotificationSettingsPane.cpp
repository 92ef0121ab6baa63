#include "platform/desktop/NotificationSettingsPane.h"

#include "platform/core/PlatformLog.h"

#include <QProcess>
#include <QStandardPaths>

namespace gaugelet {

namespace {

struct Candidate {
    const char* desktop; // a name of $XDG_CURRENT_DESKTOP, compared without case
    const char* program;
    QStringList arguments;
};

const QList<Candidate>& candidates()
{
    static const QList<Candidate> list{
        {"KDE", "systemsettings", {QStringLiteral("kcm_notifications")}},
        {"KDE", "systemsettings5", {QStringLiteral("kcm_notifications")}},
        {"GNOME", "gnome-control-center", {QStringLiteral("notifications")}},
        {"Unity", "gnome-control-center", {QStringLiteral("notifications")}},
        {"Budgie", "gnome-control-center", {QStringLiteral("notifications")}},
        {"XFCE", "xfce4-notifyd-config", {}},
        {"MATE", "mate-notification-properties", {}},
        {"LXQt", "lxqt-config-notificationd", {}},
    };
    return list;
}

} // namespace

NotificationSettingsPane::Command NotificationSettingsPane::command()
{
    // The variable lists the session's desktops, most specific first.
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        for (const Candidate& c : candidates()) {
            if (desktop.compare(QLatin1String(c.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(c.program));
            if (!path.isEmpty())
                return {path, c.arguments};
        }
    }
    return {};
}

bool NotificationSettingsPane::open()
{
    const Command c = command();
    if (c.program.isEmpty()) {
        qCInfo(lcPlatform) << "no notification settings page is known for this desktop";
        return false;
    }
    if (!QProcess::startDetached(c.program, c.arguments)) {
        qCWarning(lcPlatform) << "could not start" << c.program;
        return false;
    }
    return true;
}

} // namespace gaugelet
