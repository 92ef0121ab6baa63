#include "platform/statusitem/HostSettingsWatch.h"

#include "platform/core/DBusValue.h"
#include "platform/core/MainThread.h"
#include "platform/statusitem/HostSlotSize.h"
#include "platform/statusitem/StatusItemLog.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>

namespace gaugelet {

const QString HostSettingsWatch::xfconfService = QStringLiteral("org.xfce.Xfconf");
const QString HostSettingsWatch::xfconfPath = QStringLiteral("/org/xfce/Xfconf");

namespace {

const QString xfconfInterface = QStringLiteral("org.xfce.Xfconf");
const QString panelChannel = QStringLiteral("xfce4-panel");

// xfconfd's signals, each with the types it sends: one of other types is
// not delivered (QtDBus would otherwise decode it as these).
struct XfconfSignal {
    const char* name;
    const char* signature;
};
constexpr XfconfSignal xfconfSignals[] = {{"PropertyChanged", "ssv"}, {"PropertyRemoved", "ss"}};

// A property's value as xfconfd sends it, an array (av) as a list; any
// other container, or a variant in the variant, is no value.
QVariant plainValue(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return {};
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return value;
    const std::optional<QVariantList> list = DBusValue::variantList(value);
    return list ? QVariant(*list) : QVariant();
}

} // namespace

HostSettingsWatch::HostSettingsWatch(QObject* parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &HostSettingsWatch::readAgain);
    connect(&m_files, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_files, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
}

void HostSettingsWatch::follow(const StatusAreaHost& host, const QDBusConnection& bus)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    stop();
    m_host = host;
    m_bus = bus;
    if (host.kind() == StatusAreaHost::Kind::xfce) {
        for (const XfconfSignal& signal : xfconfSignals)
            m_bus.connect(xfconfService, xfconfPath, xfconfInterface, QString::fromLatin1(signal.name),
                          QString::fromLatin1(signal.signature), this, SLOT(onXfconfChanged(QString, QString)));
        readXfconf();
    } else if (!host.settingsFile().isEmpty()) {
        watchFile();
    }
}

void HostSettingsWatch::stop()
{
    if (m_host.kind() == StatusAreaHost::Kind::xfce) {
        for (const XfconfSignal& signal : xfconfSignals)
            m_bus.disconnect(xfconfService, xfconfPath, xfconfInterface, QString::fromLatin1(signal.name),
                             QString::fromLatin1(signal.signature), this, SLOT(onXfconfChanged(QString, QString)));
    }
    if (!m_files.files().isEmpty() || !m_files.directories().isEmpty())
        m_files.removePaths(m_files.files() + m_files.directories());
    m_settle.stop();
    m_xfconf = false;
    m_host = {};
    ++m_generation;
}

void HostSettingsWatch::onXfconfChanged(const QString& channel, const QString& property)
{
    if (channel == panelChannel
        && (property.startsWith(QLatin1String("/plugins/")) || property.startsWith(QLatin1String("/panels/"))))
        m_settle.start();
}

void HostSettingsWatch::watchFile()
{
    // An editor (or QSettings) writes a new file and renames it over the old
    // one: the folder tells, and the new file is watched from then on.
    const QFileInfo file(m_host.settingsFile());
    if (file.exists() && !m_files.files().contains(file.filePath()))
        m_files.addPath(file.filePath());
    if (file.dir().exists() && m_files.directories().isEmpty())
        m_files.addPath(file.absolutePath());
}

void HostSettingsWatch::readAgain()
{
    if (m_xfconf) {
        readXfconf();
        return;
    }
    watchFile();
    tell(m_host.readSlotHeight());
}

void HostSettingsWatch::readXfconf()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(xfconfService, xfconfPath, xfconfInterface, QStringLiteral("GetAllProperties"));
    call << panelChannel << QStringLiteral("/");
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 3000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, generation = m_generation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *w;
                if (generation != m_generation)
                    return;
                if (reply.isError()) {
                    // No xfconfd to ask: its file, as it is written.
                    logInfo(lcStatusItem, "sni.hostSettings xfconf=%s", qUtf8Printable(reply.error().name()));
                    m_xfconf = false;
                    watchFile();
                    tell(m_host.readSlotHeight());
                    return;
                }
                QVariantMap channel = reply.value();
                for (auto it = channel.begin(); it != channel.end(); ++it)
                    it.value() = plainValue(it.value());
                m_xfconf = true;
                tell(HostSlotSize::xfceSystray(channel));
            });
}

void HostSettingsWatch::tell(int height)
{
    if (height == m_host.slotHeight())
        return;
    m_host.setSlotHeight(height);
    Q_EMIT slotHeightChanged(height);
}

} // namespace gaugelet
