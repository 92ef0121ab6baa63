#include "platform/desktop/LoginItemService.h"

#include "platform/core/PlatformLog.h"
#include "platform/desktop/DesktopEntryExec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace gaugelet {

namespace {

LoginItemService* g_override = nullptr;

LoginItemService::Paths environmentPaths()
{
    LoginItemService::Paths paths;
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QFileInfo(configHome).isAbsolute()) {
        paths.configHome = QDir::cleanPath(configHome);
    } else {
        const QString home = qEnvironmentVariable("HOME");
        if (!home.isEmpty() && QFileInfo(home).isAbsolute() && QDir::cleanPath(home) != QLatin1String("/"))
            paths.configHome = QDir::cleanPath(home) + QLatin1String("/.config");
    }
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QFileInfo(dir).isAbsolute())
            paths.configDirs.append(QDir::cleanPath(dir));
    }
    if (paths.configDirs.isEmpty())
        paths.configDirs.append(QStringLiteral("/etc/xdg"));
    paths.executable = QCoreApplication::applicationFilePath();
    return paths;
}

bool hasControlCharacter(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// Whether the desktops' autostart starters can start a program at this path.
// Written with the Exec quoting, GLib checks the program before it undoes
// "%%", and systemd's autostart generator refuses an executable name holding
// a quote, "$", a backtick, "%" or a backslash; a control character ends the line.
bool startableProgramPath(const QString& path)
{
    if (hasControlCharacter(path))
        return false;
    for (QChar c : path) {
        if (c == u'"' || c == u'\'' || c == u'`' || c == u'$' || c == u'%' || c == u'\\')
            return false;
    }
    return true;
}

} // namespace

QString LoginItemService::quotedExecArgument(const QString& argument)
{
    return DesktopEntryExec::quotedArgument(argument);
}

namespace {

struct Entry {
    bool readable = false;
    QString exec;
    qsizetype execLine = -1; // the index of the Exec line among the file's lines
    QList<QByteArray> lines; // the file as it stands, each line with its end
    bool hidden = false;
    bool gnomeDisabled = false;
};

// The [Desktop Entry] group of an autostart file.
Entry readEntry(const QString& path)
{
    Entry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    entry.readable = true;
    bool inGroup = false;
    while (!file.atEnd()) {
        entry.lines.append(file.readLine());
        const QString line = QString::fromUtf8(entry.lines.last()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = DesktopEntryExec::unescapeValue(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Exec")) {
            entry.exec = value;
            entry.execLine = entry.lines.size() - 1;
        } else if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
        else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
            entry.gnomeDisabled = value == QLatin1String("false");
    }
    return entry;
}

bool samePath(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

Result<void, QString> writeEntry(const QString& path, const QByteArray& contents)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return fail(QStringLiteral("cannot create the folder %1").arg(dir));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    file.write(contents);
    if (!file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return {};
}

// A symbolic link at `link` to `target`, replacing an older link of ours.
Result<void, QString> writeLink(const QString& link, const QString& target)
{
    if (!QDir().mkpath(QFileInfo(link).absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(QFileInfo(link).absolutePath()));
    const QFileInfo old(link);
    if (old.isSymLink()) {
        if (old.symLinkTarget() == target)
            return {};
        QFile::remove(link);
    } else if (old.exists()) {
        return fail(QStringLiteral("%1 is in the way").arg(link));
    }
    if (!QFile::link(target, link))
        return fail(QStringLiteral("cannot link %1 to %2").arg(link, target));
    return {};
}

} // namespace

LoginItemService::LoginItemService(Paths paths) : m_paths(std::move(paths)) {}

LoginItemService& LoginItemService::mainAppService()
{
    static LoginItemService standard(environmentPaths());
    return g_override ? *g_override : standard;
}

void LoginItemService::setMainAppService(LoginItemService* service) { g_override = service; }

QString LoginItemService::userEntryPath() const
{
    if (m_paths.configHome.isEmpty())
        return {};
    return m_paths.configHome + QLatin1String("/autostart/") + entryName;
}

QString LoginItemService::launchLinkPath() const
{
    if (m_paths.configHome.isEmpty())
        return {};
    return m_paths.configHome + QLatin1String("/dev.gaugelet.app/gaugelet");
}

LoginItemService::Status LoginItemService::status() const
{
    const QString userPath = userEntryPath();
    if (userPath.isEmpty())
        return Status::notFound;
    QString path;
    if (QFileInfo::exists(userPath)) {
        path = userPath;
    } else {
        for (const QString& dir : m_paths.configDirs) {
            const QString candidate = dir + QLatin1String("/autostart/") + entryName;
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                break;
            }
        }
    }
    if (path.isEmpty())
        return Status::notRegistered;
    const Entry entry = readEntry(path);
    if (!entry.readable)
        return Status::notFound;
    // A command that cannot be read one way only is not ours.
    const auto arguments = DesktopEntryExec::arguments(entry.exec);
    const QString program = arguments ? arguments->value(0) : QString();
    if (!startableProgramPath(program) || !samePath(program, m_paths.executable))
        return Status::notRegistered;
    if (entry.hidden || entry.gnomeDisabled)
        return Status::requiresApproval;
    return Status::enabled;
}

Result<void, QString> LoginItemService::registerItem()
{
    const QString path = userEntryPath();
    if (path.isEmpty())
        return fail(QStringLiteral("no configuration folder (neither XDG_CONFIG_HOME nor HOME is set)"));
    if (m_paths.executable.isEmpty() || !QFileInfo(m_paths.executable).isAbsolute())
        return fail(QStringLiteral("the program's own path is unknown"));
    if (hasControlCharacter(m_paths.executable))
        return fail(QStringLiteral("the program's path holds a control character"));
    // A path the starters cannot take is reached through a link of ours.
    QString program = m_paths.executable;
    const QString link = launchLinkPath();
    if (!startableProgramPath(program)) {
        if (!startableProgramPath(link))
            return fail(QStringLiteral("neither the program's path nor %1 can be started at login").arg(link));
        if (auto linked = writeLink(link, program); !linked)
            return linked;
        program = link;
    } else if (QFileInfo(link).isSymLink()) {
        QFile::remove(link);
    }
    const QString contents = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Gaugelet\n"
                                            "Comment=System monitor in the panel\n"
                                            "Exec=%1 %2\n"
                                            "Icon=dev.gaugelet.app\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(quotedExecArgument(program), loginArgument);
    return writeEntry(path, contents.toUtf8());
}

Result<void, QString> LoginItemService::unregisterItem()
{
    const QString path = userEntryPath();
    if (path.isEmpty())
        return fail(QStringLiteral("no configuration folder (neither XDG_CONFIG_HOME nor HOME is set)"));
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        QFile file(path);
        if (!file.remove())
            return fail(QStringLiteral("cannot remove %1: %2").arg(path, file.errorString()));
    }
    const QString link = launchLinkPath();
    if (QFileInfo(link).isSymLink() && !QFile::remove(link))
        return fail(QStringLiteral("cannot remove %1").arg(link));
    // A system-wide entry would still start the program: mask it.
    for (const QString& dir : m_paths.configDirs) {
        const QString candidate = dir + QLatin1String("/autostart/") + entryName;
        if (QFileInfo::exists(candidate))
            return writeEntry(path,
                              QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Gaugelet\nHidden=true\n"));
    }
    return {};
}

Result<bool, QString> LoginItemService::addLoginArgumentToEntry()
{
    const QString path = userEntryPath();
    const QFileInfo info(path);
    if (path.isEmpty() || info.isSymLink() || !info.isFile())
        return false;
    Entry entry = readEntry(path);
    if (!entry.readable || entry.execLine < 0)
        return false;
    const auto arguments = DesktopEntryExec::arguments(entry.exec);
    if (!arguments) {
        logWarning(lcPlatform,
                   "login item: the autostart entry is left as it is: its command cannot be read (%s) path=%s",
                   qUtf8Printable(arguments.error().describe()), qUtf8Printable(path));
        return false;
    }
    const QString program = arguments->value(0);
    if (!startableProgramPath(program) || !samePath(program, m_paths.executable)
        || arguments->mid(1).contains(loginArgument))
        return false;
    QByteArray& line = entry.lines[entry.execLine];
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r'))
        --end;
    const QByteArray lineEnd = line.mid(end);
    line = line.left(end).trimmed() + ' ' + loginArgument.toUtf8() + (lineEnd.isEmpty() ? QByteArray("\n") : lineEnd);
    if (auto written = writeEntry(path, entry.lines.join()); !written)
        return fail(written.error());
    logInfo(lcPlatform, "login item: the autostart entry now tells the program it starts at login path=%s",
            qUtf8Printable(path));
    return true;
}

void LoginItemService::openSystemSettingsLoginItems() const
{
    // The desktop's own autostart settings, where we know them.
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper().split(QLatin1Char(':'));
    struct Tool {
        const char* desktop;
        const char* program;
        QStringList arguments;
    };
    const Tool tools[] = {
        {"KDE", "systemsettings", {QStringLiteral("kcm_autostart")}},
        {"KDE", "kcmshell5", {QStringLiteral("autostart")}},
        {"XFCE", "xfce4-session-settings", {}},
        {"LXQT", "lxqt-config-session", {}},
        {"MATE", "mate-session-properties", {}},
        {"X-CINNAMON", "cinnamon-session-properties", {}},
    };
    for (const Tool& tool : tools) {
        if (!desktops.contains(QLatin1String(tool.desktop)))
            continue;
        const QString program = QStandardPaths::findExecutable(QLatin1String(tool.program));
        if (!program.isEmpty() && QProcess::startDetached(program, tool.arguments)) {
            logInfo(lcPlatform, "login item: opened %s", tool.program);
            return;
        }
    }
    // Else the autostart folder in the file manager.
    const QString path = userEntryPath();
    if (path.isEmpty())
        return;
    const QString dir = QFileInfo(path).absolutePath();
    QDir().mkpath(dir);
    QDesktopServices::openUrl(QUrl::fromLocalFile(dir));
}

} // namespace gaugelet
