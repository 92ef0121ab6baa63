#pragma once

#include "platform/core/RawValueTable.h"
#include "platform/core/Result.h"

#include <QString>
#include <QStringList>

namespace gaugelet {

// The login-item service of the main application: an XDG autostart entry
// `$XDG_CONFIG_HOME/autostart/dev.gaugelet.app.desktop` whose command starts
// this program (with loginArgument) at the next login of a freedesktop
// session. The state is never
// stored anywhere else: status() reads the entry afresh every time.
// Main thread; every call is synchronous.
class LoginItemService {
public:
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    struct Paths {
        QString configHome;          // $XDG_CONFIG_HOME (empty: no usable folder)
        QStringList configDirs;      // $XDG_CONFIG_DIRS, in order of preference
        QString executable;          // this program's own absolute path
    };

    explicit LoginItemService(Paths paths);

    // The service for this process: the environment's XDG folders and this
    // executable. Tests replace it with setMainAppService.
    static LoginItemService& mainAppService();
    static void setMainAppService(LoginItemService* service); // null restores the default

    Status status() const;
    Result<void, QString> registerItem();
    Result<void, QString> unregisterItem();
    // The user's entry of ours (its command resolving to this program) that
    // an earlier build wrote without loginArgument gets it: the Exec line
    // alone is rewritten, atomically; every other line, the desktop's Hidden
    // and X-GNOME-Autostart-enabled among them, stays as it was. A system-wide
    // entry, a link and anyone else's entry are never written. Whether it
    // was rewritten.
    Result<bool, QString> addLoginArgumentToEntry();
    // Starts the desktop's own autostart settings when one is known, else opens
    // the autostart folder with the file manager.
    void openSystemSettingsLoginItems() const;

    // The entry's file name and its path in the user's autostart folder.
    static inline const QString entryName = QStringLiteral("dev.gaugelet.app.desktop");
    // The argument the entry's command passes, so that the program knows it
    // was started at login.
    static inline const QString loginArgument = QStringLiteral("--at-login");
    // Whether a program started with `arguments` was started by the entry.
    static bool launchedAtLogin(const QStringList& arguments) { return arguments.mid(1).contains(loginArgument); }
    QString userEntryPath() const;
    const Paths& paths() const { return m_paths; }
    // Where the entry's link to this program lives when the program's own
    // path holds a character the desktops' autostart starters cannot take.
    QString launchLinkPath() const;

    // One argument of an Exec value, quoted as desktop entries require and
    // escaped as a string value.
    static QString quotedExecArgument(const QString& argument);

private:
    Paths m_paths;
};

constexpr auto rawValueTable(LoginItemService::Status)
{
    using enum LoginItemService::Status;
    return makeRawValueTable<LoginItemService::Status>({{notRegistered, u"notRegistered"},
                                                        {enabled, u"enabled"},
                                                        {requiresApproval, u"requiresApproval"},
                                                        {notFound, u"notFound"}},
                                                       notFound);
}

} // namespace gaugelet
