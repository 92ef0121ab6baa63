#pragma once

// The world of a setup test: a private bus of its own (with no notification
// server unless the test starts one), the notification centre on that bus, an
// in-memory settings store, and the login-item service over a temporary XDG
// configuration folder, naming this test program as the program.

#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "settings/setup/SetupModel.h"

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QPalette>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace gaugelet {

inline void PrintTo(const SetupModel::RowStatus& status, std::ostream* os)
{
    *os << rawValue(status.kind).toStdString();
    if (status.kind == SetupModel::RowStatus::Kind::actionNeeded)
        *os << "(\"" << status.title.toStdString() << "\")";
}

} // namespace gaugelet

namespace gaugelet::test {

class SetupWorld {
public:
    SetupWorld()
        : center(bus.connect()),
          login(LoginItemService::Paths{dir.filePath("config"), {dir.filePath("xdg")},
                                        QCoreApplication::applicationFilePath()})
    {
        center.setReplyTimeoutMs(400);
        UserNotificationCenter::setCurrent(&center);
        LoginItemService::setMainAppService(&login);
    }
    ~SetupWorld()
    {
        LoginItemService::setMainAppService(nullptr);
        UserNotificationCenter::setCurrent(nullptr);
    }

    // Launch at login as the user would have left it.
    void registerLoginItem() { ASSERT_TRUE(login.registerItem().hasValue()); }
    // Our entry, switched off by the desktop.
    void disableLoginItemInTheDesktop()
    {
        registerLoginItem();
        const QByteArray entry = readFile(login.userEntryPath());
        writeFile(login.userEntryPath(), entry + "Hidden=true\n");
    }

    QTemporaryDir dir;
    PrivateBus bus;
    ScopedDefaults defaults;
    UserNotificationCenter center;
    LoginItemService login;
};

inline void saveSetupScreenshot(QWidget* widget, const QString& name)
{
    const QString folder = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) << name.toStdString();
}

} // namespace gaugelet::test
