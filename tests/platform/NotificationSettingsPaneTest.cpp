#include "platform/desktop/NotificationSettingsPane.h"

#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A folder for PATH holding executable stand-ins of the named programs.
QString fakeBin(QTemporaryDir& dir, const QStringList& programs)
{
    for (const QString& program : programs) {
        const QString path = dir.filePath(program);
        writeFile(path, "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return dir.path();
}

} // namespace

TEST(NotificationSettingsPane, TheCurrentDesktopsOwnPageWhenItIsInstalled)
{
    QTemporaryDir dir;
    const QString bin = fakeBin(dir, {"gnome-control-center", "systemsettings", "xfce4-notifyd-config"});
    ScopedEnv path("PATH", bin.toUtf8());
    struct Case {
        const char* desktops;
        QString program;
        QStringList arguments;
    };
    for (const Case& c : {Case{"GNOME", "gnome-control-center", {"notifications"}},
                          Case{"ubuntu:GNOME", "gnome-control-center", {"notifications"}},
                          Case{"kde", "systemsettings", {"kcm_notifications"}},
                          Case{"XFCE", "xfce4-notifyd-config", {}},
                          Case{"MATE", QString(), {}}, // its tool is not installed here
                          Case{"sway", QString(), {}},
                          Case{"", QString(), {}}}) {
        ScopedEnv desktop("XDG_CURRENT_DESKTOP", QByteArray(c.desktops));
        const NotificationSettingsPane::Command command = NotificationSettingsPane::command();
        EXPECT_EQ(command.program, c.program.isEmpty() ? QString() : dir.filePath(c.program)) << c.desktops;
        EXPECT_EQ(command.arguments, c.arguments) << c.desktops;
    }
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", QByteArray("sway"));
    EXPECT_FALSE(NotificationSettingsPane::open()) << "no page known: nothing is started";
}
