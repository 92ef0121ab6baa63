#include "platform/style/PlasmaPanel.h"

#include "platform/core/PlatformLog.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <algorithm>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace gaugelet {

namespace {

const QString shellService = QStringLiteral("org.kde.plasmashell");
const QString globalSettingsPath = QStringLiteral("/KGlobalSettings");
const QString globalSettingsInterface = QStringLiteral("org.kde.KGlobalSettings");
const QString notifyChange = QStringLiteral("notifyChange");
// KGlobalSettings' change type for a new colour scheme.
constexpr int paletteChanged = 0;

// Plasma writes its files in bursts (a global theme rewrites several): the
// style is read again once they have been quiet this long.
constexpr int settleMs = 200;

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// When process `pid` started, in ms since the epoch (to a clock tick), if known.
std::optional<qint64> processStartMs(uint pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray stat = file.read(4096);
    // The command's name, in parentheses, may hold spaces: the fields after
    // it are counted from its end; the start time (field 22) is their 20th.
    const qsizetype nameEnd = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    bool ok = false;
    const qint64 ticks = nameEnd < 0 || fields.size() < 20 ? 0 : fields.at(19).toLongLong(&ok);
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec sinceBoot{}, now{};
    if (!ok || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0
        || clock_gettime(CLOCK_REALTIME, &now) != 0)
        return std::nullopt;
    const qint64 bootMs = (nanoseconds(now) - nanoseconds(sinceBoot)) / 1'000'000;
    return bootMs + ticks * 1000 / perSecond;
}

qint64 modifiedMs(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0;
}

} // namespace

PlasmaPanel::PlasmaPanel(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus)
{
    readFiles(true);
    if (m_bus.isConnected())
        checkShellStart();
    log();
    watchFiles();
    if (!m_bus.isConnected())
        return;
    auto* shell = new QDBusServiceWatcher(shellService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(shell, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                if (owner.isEmpty())
                    return;
                ++m_shellStarts;
                update([this] { readFiles(true); });
            });
    m_bus.connect(QString(), globalSettingsPath, globalSettingsInterface, notifyChange, this,
                  SLOT(onPaletteNotice(QDBusMessage)));
}

PlasmaPanel::~PlasmaPanel()
{
    if (m_bus.isConnected())
        m_bus.disconnect(QString(), globalSettingsPath, globalSettingsInterface, notifyChange, this,
                         SLOT(onPaletteNotice(QDBusMessage)));
}

std::optional<QColor> PlasmaPanel::colour() const
{
    const bool read = m_shell.name == m_style.name && (!m_style.fromScheme || m_shell.scheme == m_style.scheme);
    return read ? m_style.background : std::nullopt;
}

PlasmaPanel::Stamp PlasmaPanel::stampOf(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return std::array<qint64, 4>{qint64(st.st_ino), qint64(st.st_size), nanoseconds(st.st_mtim),
                                 nanoseconds(st.st_ctim)};
}

void PlasmaPanel::readFiles(bool shellStarted)
{
    m_style = PlasmaPanelStyle::read();
    const Stamp userFile = stampOf(PlasmaPanelStyle::userFile());
    if (shellStarted || (userFile && userFile != m_userFile))
        m_shell.name = m_style.name;
    if (shellStarted)
        m_shell.scheme = m_style.scheme;
    m_userFile = userFile;
}

void PlasmaPanel::onPaletteNotice(const QDBusMessage& message)
{
    // notifyChange(int changeType, int arg); a signal of other types is not it.
    if (message.signature() != QLatin1String("ii") || message.arguments().at(0).toInt() != paletteChanged)
        return;
    update([this] {
        readFiles(false);
        m_shell.scheme = m_style.scheme;
    });
}

void PlasmaPanel::checkShellStart()
{
    // What the shell has read is not known until its start is; the cascade's
    // plasmarc files are taken as they are now (later changes are followed).
    const std::optional<QString> name = std::exchange(m_shell.name, std::nullopt);
    const qint64 userModified = modifiedMs(PlasmaPanelStyle::userFile());
    const QStringList folders = PlasmaPanelStyle::configFolders();
    qint64 othersModified = 0;
    for (auto folder = folders.cbegin() + 1; folder != folders.cend(); ++folder)
        othersModified = std::max(othersModified, modifiedMs(*folder + QLatin1String("/plasmarc")));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    call << shellService;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, name, userModified, othersModified, starts = m_shellStarts](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                // A shell seen starting since, or a plasmarc of the user's
                // written since, has read the files.
                if (starts != m_shellStarts || m_shell.name)
                    return;
                const QDBusPendingReply<uint> reply = *w;
                const std::optional<qint64> started = reply.isError() ? std::nullopt : processStartMs(reply.value());
                // Files changed within a clock tick of its start were read;
                // with no shell running, the next one reads them all.
                const bool unread = started && othersModified > std::max(*started + 10, userModified);
                update([this, &name, unread] { m_shell.name = unread ? std::nullopt : name; });
            });
}

void PlasmaPanel::update(const std::function<void()>& change)
{
    const std::optional<QColor> before = colour();
    const PlasmaPanelStyle style = m_style;
    change();
    if (m_style.name != style.name || m_style.background != style.background || colour() != before)
        log();
    if (colour() != before)
        Q_EMIT changed();
}

void PlasmaPanel::log() const
{
    logInfo(lcPlatform, "appearance.plasmaStyle name=%s panel=%s drawn=%s", qUtf8Printable(m_style.name),
            m_style.background ? qUtf8Printable(m_style.background->name()) : "unknown",
            colour() ? "known" : "unknown");
}

void PlasmaPanel::watchFiles()
{
    if (!m_files) {
        m_files = new QFileSystemWatcher(this);
        auto* settle = new QTimer(m_files);
        settle->setSingleShot(true);
        settle->setInterval(settleMs);
        connect(m_files, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
        connect(m_files, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
        connect(settle, &QTimer::timeout, this, [this] {
            update([this] { readFiles(false); });
            watchFiles();
        });
    }
    // The folders (KConfig replaces a file by renaming a new one over it)
    // and the files (rewritten in place by other tools).
    const QStringList watched = m_files->files() + m_files->directories();
    QStringList paths;
    for (const QString& folder : PlasmaPanelStyle::configFolders()) {
        const QStringList files{folder, folder + QLatin1String("/plasmarc"), folder + QLatin1String("/kdeglobals")};
        for (const QString& path : files) {
            if (QFileInfo::exists(path) && !watched.contains(path))
                paths.append(path);
        }
    }
    if (!paths.isEmpty())
        m_files->addPaths(paths);
}

} // namespace gaugelet
