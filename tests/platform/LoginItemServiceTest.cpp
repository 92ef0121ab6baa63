#include "platform/desktop/LoginItemService.h"
#include "platform/core/FileSystem.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
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

TEST(LoginItemService, ExecValueIsQuotedAndEscapedAsAString)
{
    // Quoting escapes " ` $ \ with a backslash and writes % as %%; the string
    // escaping then doubles every backslash.
    EXPECT_EQ(LoginItemService::quotedExecArgument(QStringLiteral("/opt/50% $x/a\"b`c\\d")),
              QStringLiteral("\"/opt/50%% \\\\$x/a\\\\\"b\\\\`c\\\\\\\\d\""));
}

namespace {

// The program a unit's "ExecStart=:..." line starts, with systemd's quoting undone.
QString unitProgram(const QString& unit)
{
    QFile file(unit);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("ExecStart=:")))
            continue;
        const QString value = line.mid(11);
        if (!value.startsWith(QLatin1Char('"')))
            return value.section(QLatin1Char(' '), 0, 0);
        QString program;
        for (qsizetype i = 1; i < value.size() && value[i] != u'"'; ++i)
            program += value[i] == u'\\' ? value[++i] : value[i];
        return program;
    }
    return {};
}

int run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    process.waitForFinished(20000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

// The entry is started by GLib's launcher and turned into a working unit by
// systemd's autostart generator, whatever the program's path holds.
TEST(LoginItemService, DesktopStartersStartTheProgram)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    const QString generator = QStringLiteral("/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator");
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (gio.isEmpty() || !QFileInfo(generator).isExecutable() || analyze.isEmpty())
        GTEST_SKIP() << "needs gio (libglib2.0-bin) and systemd's autostart generator";

    const QString names[] = {QStringLiteral("gauge let"), QStringLiteral("100% \"quoted\""), QStringLiteral("it's"),
                             QStringLiteral("$HOME"), QStringLiteral("back\\slash"), QStringLiteral("`tick`"),
                             QStringLiteral("all %u $x `y` \\z \"q\"")};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        AutostartFixture f(name);
        const QString marker = f.root.path() + QLatin1String("/marker");
        // The marker appears whole: the shell creates a redirect's file before it writes to it.
        f.write(f.paths.executable, "#!/bin/sh\nprintf '%s' \"$*\" > '" + marker.toUtf8() + ".part' && mv '"
                                        + marker.toUtf8() + ".part' '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(f.paths.executable, QFile::permissions(f.paths.executable) | QFile::ExeOwner);
        LoginItemService service(f.paths);
        ASSERT_TRUE(service.registerItem().hasValue());
        EXPECT_EQ(service.status(), LoginItemService::Status::enabled);

        EXPECT_EQ(run(gio, {QStringLiteral("launch"), service.userEntryPath()}), 0);
        QDeadlineTimer deadline(10000);
        while (!QFile::exists(marker) && !deadline.hasExpired())
            QThread::msleep(20);
        EXPECT_TRUE(QFile::exists(marker)) << "gio launch did not start the program";
        // It tells the program that it starts at login.
        QFile started(marker);
        EXPECT_TRUE(started.open(QIODevice::ReadOnly) && started.readAll() == LoginItemService::loginArgument.toUtf8());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), f.paths.configHome);
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), f.paths.configDirs.join(QLatin1Char(':')));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), f.root.path());
        const QString units = f.root.path() + QLatin1String("/units");
        QDir().mkpath(units);
        EXPECT_EQ(run(generator, {units, units, units}, env), 0);
        const QString unit = units + QLatin1String("/app-dev.gaugelet.app@autostart.service");
        ASSERT_TRUE(QFile::exists(unit)) << "the generator made no unit";
        EXPECT_EQ(QFileInfo(unitProgram(unit)).canonicalFilePath(), QFileInfo(f.paths.executable).canonicalFilePath());
        // systemd itself accepts the unit's ExecStart.
        EXPECT_EQ(run(analyze, {QStringLiteral("--user"), QStringLiteral("verify"), QStringLiteral("--man=no"), unit}, env), 0);

        ASSERT_TRUE(service.unregisterItem().hasValue());
        EXPECT_FALSE(QFileInfo(service.launchLinkPath()).isSymLink());
    }
}

TEST(LoginItemService, RegisteringFromAPlainPathRemovesTheLinkLeftForAnAwkwardOne)
{
    // Registered once from a path the starters cannot take, through the link...
    AutostartFixture f(QStringLiteral("100% \"quoted\""));
    LoginItemService awkward(f.paths);
    ASSERT_TRUE(awkward.registerItem().hasValue());
    ASSERT_TRUE(QFileInfo(awkward.launchLinkPath()).isSymLink());
    // ...then again from a plain one (the program moved): the link goes.
    LoginItemService::Paths moved = f.paths;
    moved.executable = f.root.path() + QLatin1String("/bin dir/gaugelet");
    f.write(moved.executable, "");
    LoginItemService plain(moved);
    ASSERT_TRUE(plain.registerItem().hasValue());
    EXPECT_EQ(plain.status(), LoginItemService::Status::enabled);
    EXPECT_EQ(FileSystem::entryKind(plain.launchLinkPath()), FileSystem::EntryKind::missing);
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

    // An entry naming this program where no starter can take its path (as
    // earlier builds wrote it) does not start it, so it does not count.
    AutostartFixture g(QStringLiteral("50%"));
    LoginItemService unstartable(g.paths);
    g.write(unstartable.userEntryPath(),
            "[Desktop Entry]\nType=Application\nExec=" + LoginItemService::quotedExecArgument(g.paths.executable).toUtf8() + "\n");
    EXPECT_EQ(unstartable.status(), LoginItemService::Status::notRegistered);
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

// An entry of ours from before --at-login gets it on its Exec line, and
// nothing else changes; anyone else's entry and a system-wide one stay.
TEST(LoginItemService, AnOlderEntryOfOursLearnsItStartsAtLogin)
{
    AutostartFixture f;
    LoginItemService service(f.paths);
    const QByteArray exec = "Exec=" + LoginItemService::quotedExecArgument(f.paths.executable).toUtf8();
    const QByteArray head = "# mine\n[Desktop Entry]\nName=Gaugelet\nName[de]=Gaugelet\n";
    const std::pair<QByteArray, QByteArray> cases[] = {
        // before, after (empty: left as it is)
        {exec + " -platform xcb\r\nHidden=true\r\n[Extra]\nExec=x\n",
         exec + " -platform xcb --at-login\r\nHidden=true\r\n[Extra]\nExec=x\n"},
        {"X-GNOME-Autostart-enabled=false\n" + exec, "X-GNOME-Autostart-enabled=false\n" + exec + " --at-login\n"},
        {exec + " --at-login\n", {}},
        {"Exec=/usr/bin/someone-else\n", {}},
    };
    for (const auto& [before, after] : cases) {
        f.write(service.userEntryPath(), head + before);
        EXPECT_EQ(service.addLoginArgumentToEntry().value(), !after.isEmpty()) << before.toStdString();
        EXPECT_EQ(test::readFile(service.userEntryPath()), head + (after.isEmpty() ? before : after));
    }
    QFile::remove(service.userEntryPath());
    // A link (a dotfiles setup) stays a link, and what it leads to as it was.
    const QString dotfile = f.root.filePath(QStringLiteral("dotfiles/gaugelet.desktop"));
    f.write(dotfile, head + exec + "\n");
    ASSERT_TRUE(QFile::link(dotfile, service.userEntryPath()));
    EXPECT_FALSE(service.addLoginArgumentToEntry().value());
    EXPECT_TRUE(QFileInfo(service.userEntryPath()).isSymLink());
    EXPECT_EQ(test::readFile(dotfile), head + exec + "\n");
    QFile::remove(service.userEntryPath());
    f.write(f.systemEntry(), head + exec + "\n");
    EXPECT_FALSE(service.addLoginArgumentToEntry().value() || QFileInfo::exists(service.userEntryPath()));
    EXPECT_EQ(test::readFile(f.systemEntry()), head + exec + "\n");
}

// A command that reads more than one way is not ours, as the user's entry or
// a system-wide one, and never rewritten; one that reads one way is ours.
TEST(LoginItemService, AnEntryWhoseCommandReadsMoreThanOneWayIsNotOurs)
{
    AutostartFixture f;
    LoginItemService service(f.paths);
    const QByteArray exe = f.paths.executable.toUtf8();
    const QByteArray quoted = LoginItemService::quotedExecArgument(f.paths.executable).toUtf8();
    const struct {
        QByteArray exec;
        LoginItemService::Status expected;
    } cases[] = {
        {"\"" + exe, LoginItemService::Status::notRegistered},
        {quoted + " --flag \\", LoginItemService::Status::notRegistered},
        {quoted + " \"\\\\q\"", LoginItemService::Status::notRegistered},
        {quoted + " \"100%%\" \"\"", LoginItemService::Status::enabled},
        {QByteArray(exe).replace(" ", "\\\\ ") + "\t-v", LoginItemService::Status::enabled},
    };
    const QByteArray head = "[Desktop Entry]\nType=Application\nExec=";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exec.toStdString());
        f.write(service.userEntryPath(), head + c.exec + "\n");
        EXPECT_EQ(service.status(), c.expected);
        const bool ours = c.expected == LoginItemService::Status::enabled;
        EXPECT_EQ(service.addLoginArgumentToEntry().value(), ours);
        EXPECT_EQ(test::readFile(service.userEntryPath()), head + c.exec + (ours ? " --at-login\n" : "\n"));
        QFile::remove(service.userEntryPath());
        f.write(f.systemEntry(), head + c.exec + "\n");
        EXPECT_EQ(service.status(), c.expected);
        QFile::remove(f.systemEntry());
    }
}
