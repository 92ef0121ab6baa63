#include "platform/desktop/SingleInstance.h"

#include "platform/core/DBusValue.h"
#include "platform/core/MainThread.h"
#include "platform/core/PlatformLog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace gaugelet {

SingleInstance::SingleInstance(const QDBusConnection& bus, const QString& name, QObject* parent)
    : QObject(parent), m_bus(bus), m_name(name)
{
}

SingleInstance::~SingleInstance()
{
    if (!m_registered)
        return;
    // Let go of the name (or our place in its queue) now rather than at exit,
    // so that a relaunched copy waiting for it starts at once. The name goes
    // before the object: a launch that still finds us as its owner must find
    // Activate too, or it would take us for another program.
    if (m_bus.interface())
        m_bus.interface()->unregisterService(m_name);
    m_bus.unregisterObject(objectPath(m_name));
}

QString SingleInstance::objectPath(const QString& name)
{
    return QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
}

bool SingleInstance::waitRequested(const QStringList& arguments)
{
    return arguments.mid(1).contains(waitArgument);
}

SingleInstance::Claim SingleInstance::claim(int waitMs, bool quietly)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QDBusConnectionInterface* daemon = m_bus.isConnected() ? m_bus.interface() : nullptr;
    if (!daemon)
        return Claim::noBus;
    // The object is in place before the name is ours, so a launch that finds
    // the name owned can always call it.
    m_registered = m_bus.registerObject(objectPath(m_name), this, QDBusConnection::ExportScriptableSlots);
    if (waitMs > 0)
        return waitForName(waitMs);
    // An owner that leaves between our request and our call is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            daemon->registerService(m_name, QDBusConnectionInterface::DontQueueService);
        if (!reply.isValid()) {
            logWarning(lcPlatform, "single instance: the session bus refused %s: %s", qUtf8Printable(m_name),
                       qUtf8Printable(reply.error().message()));
            return Claim::noBus;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
            return Claim::owner;
        // The call goes to the owner of this moment, so that an answer (or
        // the silence) is that process's.
        const QString owner = daemon->serviceOwner(m_name).value();
        if (owner.isEmpty())
            continue;
        switch (activateOwner(owner, quietly)) {
        case Answer::shown:
            logInfo(lcPlatform, "single instance: another copy runs; asked it to show itself");
            return Claim::handedOver;
        case Answer::gone: continue;
        case Answer::notOurs: return Claim::unguarded;
        case Answer::silent:
            m_silentOwner = identifyProcess(daemon->servicePid(owner).value());
            if (m_silentOwner.pid == 0 || m_silentOwner.isGaugelet)
                logError(lcPlatform, "single instance: the running copy (process %u) did not answer within %d ms",
                         m_silentOwner.pid, m_activateTimeoutMs);
            else
                logError(lcPlatform,
                         "single instance: %s is held by process %u (%s), which is not this program and did not "
                         "answer within %d ms",
                         qUtf8Printable(m_name), m_silentOwner.pid, qUtf8Printable(m_silentOwner.program),
                         m_activateTimeoutMs);
            return Claim::notResponding;
        }
    }
    logWarning(lcPlatform, "single instance: %s changes owner too often; starting anyway", qUtf8Printable(m_name));
    return Claim::noBus;
}

SingleInstance::Answer SingleInstance::activateOwner(const QString& owner, bool quietly)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        owner, objectPath(m_name), QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    call.setArguments({quietly ? QVariantMap{{quietKey, true}} : QVariantMap()});
    call.setAutoStartService(false);
    // A loop of our own, not a blocking call: the owner may be this very
    // process (tests), whose loop must run to answer.
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(call, m_activateTimeoutMs));
    QEventLoop loop;
    connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    const QDBusError error = watcher.error();
    if (!error.isValid())
        return Answer::shown;
    // No answer: the owner left meanwhile (its unique name is gone), or it
    // is still there and silent.
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
        || error.type() == QDBusError::TimedOut || error.type() == QDBusError::ServiceUnknown
        || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        const bool stillThere = m_bus.interface()->isServiceRegistered(owner).value();
        return stillThere && m_bus.interface()->serviceOwner(m_name).value() == owner ? Answer::silent : Answer::gone;
    }
    // Any other answer (no such object, interface or method, refused
    // arguments) comes from a program that is not this one.
    logWarning(lcPlatform,
               "single instance: %s is owned by another program (process %u), which answered Activate with %s: "
               "running without the one-copy guard",
               qUtf8Printable(m_name), m_bus.interface()->servicePid(owner).value(), qUtf8Printable(error.name()));
    return Answer::notOurs;
}

SingleInstance::Claim SingleInstance::waitForName(int waitMs)
{
    QDBusConnectionInterface* daemon = m_bus.interface();
    QEventLoop loop;
    // Watching starts before the request, so the hand-over cannot slip by.
    QDBusServiceWatcher watcher(m_name, m_bus, QDBusServiceWatcher::WatchForOwnerChange);
    const QString self = m_bus.baseService();
    connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged, &loop,
            [&loop, self](const QString&, const QString&, const QString& owner) {
                if (owner == self)
                    loop.quit();
            });
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        daemon->registerService(m_name, QDBusConnectionInterface::QueueService);
    if (!reply.isValid()) {
        logWarning(lcPlatform, "single instance: the session bus refused %s: %s", qUtf8Printable(m_name),
                   qUtf8Printable(reply.error().message()));
        return Claim::noBus;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        logInfo(lcPlatform, "single instance: waiting for the previous copy to quit");
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (daemon->serviceOwner(m_name).value() == self)
        return Claim::owner;
    logWarning(lcPlatform, "single instance: the previous copy still runs after %d ms; starting anyway", waitMs);
    return Claim::queued;
}

namespace {

// At most `limit` bytes of a file under /proc (empty when it cannot be read).
QByteArray readBounded(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(limit);
}

// A program name fit for a log line, a terminal and a notification's body.
QString displayableName(const QByteArray& bytes)
{
    QString name = QString::fromUtf8(bytes).trimmed();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == u'<' || c == u'>' || c == u'&')
            c = QLatin1Char('?');
    }
    return name;
}

} // namespace

SingleInstance::SilentOwner SingleInstance::identifyProcess(quint32 pid, const QString& procRoot,
                                                            const QString& ownExecutable)
{
    SilentOwner owner;
    owner.pid = pid;
    if (pid == 0)
        return owner;
    const QString dir = procRoot + QLatin1Char('/') + QString::number(pid);
    // The kernel's name for it (the first 15 bytes of its program's), and
    // its first argument, up to the NUL that ends it.
    const QByteArray comm = readBounded(dir + QLatin1String("/comm"), 64).trimmed();
    const QByteArray cmdline = readBounded(dir + QLatin1String("/cmdline"), 4096);
    const qsizetype end = cmdline.indexOf('\0');
    const QByteArray argument0 =
        QFileInfo(QString::fromUtf8(end < 0 ? cmdline : cmdline.left(end))).fileName().toUtf8();
    const QString executable = QFileInfo(dir + QLatin1String("/exe")).canonicalFilePath();
    const QString own =
        QFileInfo(ownExecutable.isEmpty() ? QStringLiteral("/proc/self/exe") : ownExecutable).canonicalFilePath();
    // A copy of this program runs our executable, or one named as ours or
    // "gaugelet" (another build, or ours replaced by an update since it started).
    owner.isGaugelet = !executable.isEmpty() && executable == own;
    for (const QString& name : {QStringLiteral("gaugelet"), QFileInfo(own).fileName()}) {
        const QByteArray bytes = name.toUtf8();
        if (!bytes.isEmpty() && (comm == bytes.left(15) || argument0 == bytes))
            owner.isGaugelet = true;
    }
    if (!comm.isEmpty())
        owner.program = displayableName(comm);
    else if (!argument0.isEmpty())
        owner.program = displayableName(argument0.left(64));
    else
        owner.program = displayableName(QFileInfo(executable).fileName().toUtf8().left(64));
    return owner;
}

void SingleInstance::Activate(const QVariantMap& platformData)
{
    // Quiet only for a boolean true: a value of another type is none.
    if (DBusValue::as<bool>(platformData.value(quietKey)).value_or(false)) {
        logInfo(lcPlatform, "single instance: the login item started again; this copy runs on as it is");
        return;
    }
    logInfo(lcPlatform, "single instance: another launch asks this copy to show itself");
    Q_EMIT activated();
}

} // namespace gaugelet
