#include "settings/shared/SetLaunchAtLogin.h"

#include "SettingsEnvironment.h"
#include "platform/desktop/LoginItemService.h"
#include "settings/SettingsView.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A login-item service over a temporary XDG tree, as this process's service.
class LaunchAtLoginTest : public ::testing::Test {
protected:
    void use(const QString& executable, bool withConfigHome = true)
    {
        writeFile(executable, "#!/bin/sh\n");
        service = std::make_unique<LoginItemService>(LoginItemService::Paths{
            withConfigHome ? dir.filePath("config") : QString(), {dir.filePath("xdg")}, executable});
        LoginItemService::setMainAppService(service.get());
    }
    void TearDown() override { LoginItemService::setMainAppService(nullptr); }

    QString entryPath() const { return dir.filePath("config/autostart/dev.gaugelet.app.desktop"); }

    // Whether a freshly opened settings window shows the toggle on.
    bool toggleOnOpening()
    {
        SettingsView view(environment.env());
        return view.generalTab()->findChild<QCheckBox*>("launchAtLogin")->isChecked();
    }

    ScopedDefaults defaults;
    SettingsEnvironment environment; // sets a service of its own; ours replaces it
    QTemporaryDir dir;
    std::unique_ptr<LoginItemService> service;
};

} // namespace

TEST_F(LaunchAtLoginTest, OnlyAnEnabledItemSeedsTheToggleOn)
{
    const QString exe = dir.filePath("bin/gaugelet");
    use(exe);
    EXPECT_EQ(service->status(), LoginItemService::Status::notRegistered);
    EXPECT_FALSE(toggleOnOpening());

    setLaunchAtLogin(true);
    EXPECT_EQ(service->status(), LoginItemService::Status::enabled);
    EXPECT_TRUE(isLaunchAtLoginEnabled());
    EXPECT_TRUE(toggleOnOpening());

    // Switched off by the desktop: requires approval, shown off.
    QByteArray entry = readFile(entryPath());
    entry.replace("X-GNOME-Autostart-enabled=true", "X-GNOME-Autostart-enabled=false");
    writeFile(entryPath(), entry);
    EXPECT_EQ(service->status(), LoginItemService::Status::requiresApproval);
    EXPECT_FALSE(toggleOnOpening());

    // Another program's entry under our name.
    writeFile(entryPath(), "[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other\n");
    EXPECT_EQ(service->status(), LoginItemService::Status::notRegistered);
    EXPECT_FALSE(toggleOnOpening());

    // No configuration folder at all.
    use(exe, false);
    EXPECT_EQ(service->status(), LoginItemService::Status::notFound);
    EXPECT_FALSE(toggleOnOpening());
}

TEST_F(LaunchAtLoginTest, AwkwardProgramPathsReadBackAsTheSamePath)
{
    for (const char* name : {"my apps/gauge let", "100%/gaugelet", "say \"hi\"/gaugelet", "$HOME/gaugelet",
                             "a\\b `c` 'd'/gaugelet %f"}) {
        use(dir.filePath(QString::fromUtf8(name)));
        setLaunchAtLogin(true);
        EXPECT_EQ(service->status(), LoginItemService::Status::enabled) << name;
        EXPECT_TRUE(readFile(entryPath()).contains("Type=Application")) << name;
        setLaunchAtLogin(false);
        EXPECT_EQ(service->status(), LoginItemService::Status::notRegistered) << name;
        EXPECT_FALSE(QFile::exists(entryPath())) << name;
    }
}

TEST_F(LaunchAtLoginTest, AFailureIsLoggedAndTheToggleStaysAsTheUserSetIt)
{
    use(dir.filePath("bin/gaugelet"));
    writeFile(dir.filePath("config/autostart"), "a file where the folder belongs");
    LogCapture log(QStringLiteral("default"));

    SettingsView view(environment.env());
    auto* toggle = view.generalTab()->findChild<QCheckBox*>("launchAtLogin");
    ASSERT_FALSE(toggle->isChecked());
    toggle->click();
    ASSERT_EQ(log.countPrefix("Gaugelet: failed to toggle launch-at-login: "), 1);
    const QString line = log.lines().filter("Gaugelet: failed to toggle launch-at-login: ").first();
    EXPECT_GT(line.size(), QStringLiteral("Gaugelet: failed to toggle launch-at-login: ").size()); // with the reason
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_NE(service->status(), LoginItemService::Status::enabled);
    // The next opening reads the service again and shows it off.
    EXPECT_FALSE(toggleOnOpening());
}
