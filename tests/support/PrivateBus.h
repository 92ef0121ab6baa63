#pragma once

// D-Bus helpers for tests: a bus daemon of the test's own (so parallel test
// processes never compete for a well-known name, and nothing is activated
// from the machine's service files), and scriptable fake services on it.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <functional>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace gaugelet::test {

// A private dbus-daemon with no service directories. Destroying it
// disconnects every connection made through it and stops the daemon.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>\n"
                "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                           .arg(m_dir.path())
                           .toUtf8());
            file.close();
        }
        m_daemon.setProgram(QStringLiteral("dbus-daemon"));
        m_daemon.setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                               QStringLiteral("--print-address=1")});
        m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
        // The daemon ends with the test process, even when a test crashes.
        m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000))
            return;
        QElapsedTimer timer;
        timer.start();
        while (!m_daemon.canReadLine() && timer.elapsed() < 5000)
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

    ~PrivateBus()
    {
        for (const QString& name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(3000))
                m_daemon.kill();
            m_daemon.waitForFinished(1000);
        }
    }

    bool isValid() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

    // A new connection (its own unique name) to this bus.
    QDBusConnection connect()
    {
        const QString name = QStringLiteral("test-bus-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};

// Sends a signal with arguments of whatever types.
inline bool sendSignal(const QDBusConnection& connection, const QString& path, const QString& interface,
                       const QString& member, const QVariantList& arguments)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
    signal.setArguments(arguments);
    return connection.send(signal);
}

// One object of a fake service: every method call goes to handler, which
// returns the reply (or an error reply) for the message, or marks the message
// a delayed reply and answers it later itself.
class FakeDBusObject : public QDBusVirtualObject {
public:
    using Handler = std::function<QDBusMessage(const QDBusMessage&)>;

    FakeDBusObject(QString introspection, Handler handler)
        : m_introspection(std::move(introspection)), m_handler(std::move(handler))
    {
    }

    QString introspect(const QString& path) const override
    {
        (void)path;
        return m_introspection;
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        QDBusMessage reply = m_handler(message);
        if (message.isDelayedReply())
            return true;
        if (reply.type() == QDBusMessage::InvalidMessage)
            reply = message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                             QStringLiteral("no such method: %1").arg(message.member()));
        connection.send(reply);
        return true;
    }

private:
    QString m_introspection;
    Handler m_handler;
};

// A process in a process group of its own, so the whole group (a wrapper
// script and what it started) ends with the test.
class GroupProcess {
public:
    GroupProcess() = default;
    ~GroupProcess() { stop(); }

    QProcess& process() { return m_process; }

    bool start(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessEnvironment(env);
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
        m_process.start();
        return m_process.waitForStarted(5000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        const qint64 pid = m_process.processId();
        if (pid > 0)
            ::kill(-pid_t(pid), SIGTERM);
        if (!m_process.waitForFinished(3000) && pid > 0) {
            ::kill(-pid_t(pid), SIGKILL);
            m_process.waitForFinished(1000);
        }
    }

private:
    QProcess m_process;
};

} // namespace gaugelet::test
