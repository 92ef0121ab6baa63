#include "platform/statusitem/StatusAreaHost.h"

#include "platform/core/FileSystem.h"
#include "platform/statusitem/HostSlotSize.h"
#include "platform/statusitem/StatusItem.h"

#include <QFile>
#include <algorithm>
#include <cmath>

namespace gaugelet {

StatusAreaHost StatusAreaHost::fromCommandLine(const QByteArray& commandLine, const QString& workingFolder)
{
    const QByteArray program = commandLine.left(commandLine.indexOf('\0'));
    const QByteArray base = program.mid(program.lastIndexOf('/') + 1);
    Kind kind = Kind::other;
    // Xfce's status tray runs as a panel plugin ("…/xfce4/panel/wrapper-2.0
    // …/libsystray.so …", or inside xfce4-panel itself).
    if (commandLine.contains("xfce4") && (commandLine.contains("systray") || commandLine.contains("xfce4-panel")))
        kind = Kind::xfce;
    // GNOME's watcher is the AppIndicator extension, inside the shell.
    else if (base == "gnome-shell")
        kind = Kind::gnomeShell;
    // Plasma's watcher is a module of kded.
    else if (base == "kded5" || base == "kded6" || base == "plasmashell")
        kind = Kind::plasma;
    else if (base == "lxqt-panel")
        kind = Kind::lxqt;
    else if (base == "waybar")
        kind = Kind::waybar;
    StatusAreaHost host(kind);
    if (kind == Kind::xfce)
        host.m_settingsFile = HostSlotSize::xfcePanelChannel();
    else if (kind == Kind::lxqt)
        host.m_settingsFile = HostSlotSize::lxqtPanelConfig(commandLine, workingFolder);
    else if (kind == Kind::waybar)
        host.m_settingsFile = HostSlotSize::waybarConfig(commandLine, workingFolder);
    host.m_slotHeight = host.readSlotHeight();
    return host;
}

int StatusAreaHost::readSlotHeight() const
{
    switch (m_kind) {
    case Kind::gnomeShell: return 16; // the extension's icon size, the bar's (PANEL_ICON_SIZE)
    case Kind::plasma: return 22;     // the tray's small-medium icons
    case Kind::xfce: return HostSlotSize::xfceSystray(m_settingsFile);
    case Kind::lxqt: return HostSlotSize::lxqtPanel(m_settingsFile);
    case Kind::waybar: return HostSlotSize::waybar(m_settingsFile);
    case Kind::other: break;
    }
    return 0;
}

QByteArray StatusAreaHost::commandLineOf(uint pid)
{
    constexpr qint64 maxBytes = 64 * 1024;
    auto bytes = FileSystem::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid), maxBytes, FileSystem::Links::follow);
    return bytes ? std::move(bytes).value() : QByteArray();
}

QString StatusAreaHost::workingFolderOf(uint pid)
{
    return QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(pid));
}

const char* StatusAreaHost::name() const
{
    static const char* const names[] = {"other", "xfce", "gnomeShell", "plasma", "lxqt", "waybar"};
    return names[int(m_kind)];
}

bool StatusAreaHost::showsNewestFirst() const
{
    return m_kind == Kind::xfce || m_kind == Kind::gnomeShell;
}

QList<int> StatusAreaHost::offeredPixelSizes(double scale) const
{
    const QList<int> heights =
        m_kind == Kind::other || m_slotHeight <= 0 ? QList<int>{16, 22, 24} : QList<int>{m_slotHeight};
    QList<int> offered;
    for (const int height : heights) {
        const auto pixels = int(std::lround(height * std::max(scale, 1.0)));
        int fits = StatusItem::pixelSizes.front();
        for (const int drawn : StatusItem::pixelSizes) {
            if (drawn <= pixels)
                fits = drawn;
        }
        if (!offered.contains(fits))
            offered.append(fits);
    }
    return offered;
}

QString StatusAreaHost::menuPath() const
{
    return m_kind == Kind::gnomeShell ? QStringLiteral("/MenuBar") : QString();
}

QString StatusAreaHost::itemId(int position) const
{
    if (m_kind == Kind::xfce)
        return QStringLiteral("gaugelet");
    return QStringLiteral("gaugelet-%1").arg(position, 3, 10, QLatin1Char('0'));
}

QString StatusAreaHost::itemTitle(int position, const QString& name) const
{
    const QString shown = name.isEmpty() ? QStringLiteral("Gaugelet") : name;
    if (m_kind != Kind::plasma)
        return shown;
    return QStringLiteral("%1 %2").arg(position + 1, 2, 10, QLatin1Char('0')).arg(shown);
}

Appearance::PanelHost StatusAreaHost::panelHost() const
{
    using enum Appearance::PanelHost;
    return m_kind == Kind::gnomeShell ? gnomeShell : m_kind == Kind::plasma ? plasma : other;
}

} // namespace gaugelet
