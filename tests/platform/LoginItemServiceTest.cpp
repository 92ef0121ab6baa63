#include "platform/desktop/LoginItemService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

struct AutostartFixture {
    QTemporaryDir root;
    LoginItemService::Paths paths;

    explicit AutostartFixture(const QString& programName = QStringLiteral("gaugelet"))
    {
        paths.configHome = root.path() + QLatin1String("/config");
        paths.configDirs = {root.path() + QLatin1String("/etc-xdg")};
        const QString binDir = root.path() + QLatin1String("/bin dir");
        QDir().mkpath(binDir);
        paths.executable = binDir + QLatin1Char('/') + programName;
        QFile exe(paths.executable);
        EXPECT_TRUE(exe.open(QIODevice::WriteOnly));
    }

    void write(const QString& path, const QByteArray& contents) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
    }
    QString systemEntry() const { return paths.configDirs.first() + QLatin1String("/autostart/dev.gaugelet.app.desktop"); }
};

} // namespace

TEST(LoginItemService, RegisterReadsBackForAwkwardProgramPaths)
{
    for (const QString& name : {QStringLiteral("gaugelet"), QStringLiteral("gauge let"), QStringLiteral("100%\"quoted\""),
                                QStringLiteral("$HOME`x`\\y"), QStringLiteral("caf\u00e9 %u")}) {
        AutostartFixture f(name);
        LoginItemService service(f.paths);
        EXPECT_EQ(service.status(), LoginItemService::Status::notRegistered);
        ASSERT_TRUE(service.registerItem().hasValue()) << name.toStdString();
        EXPECT_EQ(service.status(), LoginItemService::Status::enabled) << name.toStdString();

        // The entry is one a desktop can start: Type, Name, Exec and the GNOME switch.
        QFile entry(service.userEntryPath());
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        EXPECT_TRUE(text.startsWith(QLatin1String("[Desktop Entry]\n")));
        EXPECT_TRUE(text.contains(QLatin1String("\nType=Application\n")));
        EXPECT_TRUE(text.contains(QLatin1String("\nX-GNOME-Autostart-enabled=true\n")));

        ASSERT_TRUE(service.unregisterItem().hasValue());
        EXPECT_FALSE(QFile::exists(service.userEntryPath()));
        EXPECT_EQ(service.status(), LoginItemService::Status::notRegistered);
    }
}

TEST(LoginItemService, StatusFollowsTheEntry)
{
    AutostartFixture f;
    LoginItemService service(f.paths);
    const QString user = service.userEntryPath();
    const QByteArray ours = "[Desktop Entry]\nType=Application\nExec=\"" + f.paths.executable.toUtf8() + "\"\n";
    const struct {
        QByteArray contents;
        LoginItemService::Status expected;
    } cases[] = {
        {ours, LoginItemService::Status::enabled},
        {ours + "Hidden=true\n", LoginItemService::Status::requiresApproval},
        {ours + "X-GNOME-Autostart-enabled=false\n", LoginItemService::Status::requiresApproval},
        {"[Desktop Entry]\nExec=/usr/bin/someone-else\n", LoginItemService::Status::notRegistered},
        {"[Other Group]\nExec=\"" + f.paths.executable.toUtf8() + "\"\n", LoginItemService::Status::notRegistered},
    };
    for (const auto& c : cases) {
        f.write(user, c.contents);
        EXPECT_EQ(service.status(), c.expected) << c.contents.toStdString();
    }

    // An entry that cannot be read, and no configuration folder at all.
    QFile::remove(user);
    QDir().mkpath(user); // a folder where the file should be
    EXPECT_EQ(service.status(), LoginItemService::Status::notFound);
    LoginItemService::Paths none = f.paths;
    none.configHome.clear();
    EXPECT_EQ(LoginItemService(none).status(), LoginItemService::Status::notFound);
}

TEST(LoginItemService, SystemWideEntryCountsUntilTheUserMasksIt)
{
    AutostartFixture f;
    LoginItemService service(f.paths);
    f.write(f.systemEntry(), "[Desktop Entry]\nType=Application\nExec=" + f.paths.executable.toUtf8().replace(" ", "\\s") + "\n");
    // An unquoted path with a space does not name our program.
    EXPECT_EQ(service.status(), LoginItemService::Status::notRegistered);
    f.write(f.systemEntry(), "[Desktop Entry]\nType=Application\nExec=\"" + f.paths.executable.toUtf8() + "\" --flag\n");
    EXPECT_EQ(service.status(), LoginItemService::Status::enabled);

    ASSERT_TRUE(service.unregisterItem().hasValue());
    EXPECT_TRUE(QFile::exists(service.userEntryPath()));
    EXPECT_TRUE(QFile::exists(f.systemEntry()));
    EXPECT_NE(service.status(), LoginItemService::Status::enabled);
}

TEST(LoginItemService, RefusesWhatItCannotWrite)
{
    AutostartFixture f;
    // The autostart folder's place is taken by a file.
    f.write(f.paths.configHome + QLatin1String("/autostart"), "not a folder");
    LoginItemService service(f.paths);
    const auto result = service.registerItem();
    ASSERT_FALSE(result.hasValue());
    EXPECT_FALSE(result.error().isEmpty());

    AutostartFixture g(QStringLiteral("line\nbreak"));
    const auto refused = LoginItemService(g.paths).registerItem();
    ASSERT_FALSE(refused.hasValue());
    EXPECT_TRUE(refused.error().contains(QLatin1String("control character")));
}
